// The program reads its shaders from ../src/ShadowMapping/resource/cg/, relative to a working
// directory beside src/, as on the desktop: the files are preloaded under /src, and it runs in
// /build.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  FS.mkdir('/build');
  FS.chdir('/build');
});

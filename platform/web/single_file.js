// The one-file page carries its WebAssembly gzipped (pack_wasm.py) in a data: URL. The runtime
// would hand that URL to fetch(), and the browser then copies and decodes it on the page's own
// thread: the most of what the one file took longer than the served page to its first frame.
// Decoded here instead, and unzipped as the engine compiles it, as the served page's download is.
Module['instantiateWasm'] = function(imports, receiveInstance) {
  var base64 = wasmBinaryFile.slice(dataURIPrefix.length);
  var gzipped = Uint8Array.fromBase64 ? Uint8Array.fromBase64(base64)
                                      : tryParseAsDataURI(wasmBinaryFile);
  var wasm = new Response(new Blob([gzipped]).stream().pipeThrough(new DecompressionStream('gzip')),
                          { headers: { 'Content-Type': 'application/wasm' } });
  WebAssembly.instantiateStreaming(wasm, imports).then(function(output) {
    receiveInstance(output.instance, output.module);
  }, function(reason) {
    err('failed to asynchronously prepare wasm: ' + reason);
    abort(reason);
  });
  return {};
};

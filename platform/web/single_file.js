// The one-file page carries its WebAssembly gzipped (pack_wasm.py) in a data: URL. The runtime
// would hand that URL to fetch(), and the browser then copies and decodes it on the page's own
// thread: the most of what the one file took longer than the served page to its first frame.
// Decoded and unzipped here instead, then compiled as the served page's is.
Module['instantiateWasm'] = function(imports, receiveInstance) {
  var gzipped = new Blob([tryParseAsDataURI(wasmBinaryFile)]);
  new Response(gzipped.stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer()
    .then(function(wasm) { return WebAssembly.instantiate(wasm, imports); })
    .then(function(output) { receiveInstance(output.instance, output.module); }, function(reason) {
      err('failed to asynchronously prepare wasm: ' + reason);
      abort(reason);
    });
  return {};
};

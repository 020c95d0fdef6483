// Pre-js for the unit tests under node: the folder of Linux results that GAUGEPLOT_PINNED_STREAMS
// names, mounted into Emscripten's file system and named to the tests in their own environment,
// which Emscripten does not take from node's.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  var folder = process.env['GAUGEPLOT_PINNED_STREAMS'];
  if (folder === undefined) return;
  FS.mkdir('/pinned-streams');
  FS.mount(NODEFS, {root: folder}, '/pinned-streams');
  ENV['GAUGEPLOT_PINNED_STREAMS'] = '/pinned-streams';
});

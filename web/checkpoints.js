// The web layer's checkpoints (a --js-library): the viewer's whole state as a copy of its memory,
// and the differences between two such copies, for web/journal.js's undo, redo and tab.
//
// The viewers allocate nothing while they run, so everything they are, the layer's window and
// the beams' random sequence included, lies in the WebAssembly memory below the stack (the
// static data) and above it up to the heap's top (web/layer.cpp's fromPageStateBounds), less the
// layer's vertices that wait to be drawn, which hold nothing between frames. The stack holds
// nothing between calls. A copy of those bytes is an exact checkpoint; writing it back from
// the page, outside any call, puts the viewer back where it was, bit for bit.
// A delta keeps only the 32-bit words where two copies differ: runs (first word, length) and the
// words of one side. An action changes some kilobytes of a state of megabytes (the 3D viewer's
// tables are sized for 2,048 directions and 50 polygons), so undo keeps deltas, never copies.
var GaugeplotStateLibrary = {
  $GaugeplotState: {
    ranges: null,   // [[first byte, end byte], ...] of HEAPU8 that hold the state
    words: 0,       // the state's size in 32-bit words

    start: function() {
      var S = GaugeplotState, bound = function(which) { return Module['_fromPageStateBounds'](which) & ~3; };
      var low = bound(0), high = bound(1), batch = bound(3), batchEnd = bound(4);
      S.ranges = [[0, low], [high, Math.max(high, bound(2))]];
      if (batch > 0 && batchEnd <= low) S.ranges.splice(0, 1, [0, batch], [batchEnd, low]);
      S.words = S.ranges.reduce(function(n, r) { return n + (r[1] - r[0]) / 4; }, 0);
    },

    // The state now, into `into` (an Int32Array of `words`) or a new array.
    copy: function(into) {
      var S = GaugeplotState, out = into || new Int32Array(S.words), at = 0;
      S.ranges.forEach(function(r) {
        out.set(HEAP32.subarray(r[0] >> 2, r[1] >> 2), at);
        at += (r[1] - r[0]) >> 2;
      });
      return out;
    },

    // The viewer put back to a copy; only from the page, between calls.
    write: function(state) {
      var at = 0;
      GaugeplotState.ranges.forEach(function(r) {
        var n = (r[1] - r[0]) >> 2;
        HEAP32.set(state.subarray(at, at + n), r[0] >> 2);
        at += n;
      });
    },

    // Where `from` and `to` differ: [first, length, ...], runs of differing words, a word in
    // between that is equal taken along so that the runs stay few.
    runs: function(from, to) {
      var out = [], n = from.length;
      for (var i = 0; i < n; i++) {
        if (from[i] === to[i]) continue;
        var first = i;
        while (i < n && (from[i] !== to[i] || (i + 1 < n && from[i + 1] !== to[i + 1]))) i++;
        out.push(first, i - first);
      }
      return Int32Array.from(out);
    },

    // A delta: the runs, and the words that `state` has there.
    take: function(runs, state) {
      var n = 0, i;
      for (i = 1; i < runs.length; i += 2) n += runs[i];
      var words = new Int32Array(n), at = 0;
      for (i = 0; i < runs.length; i += 2) {
        words.set(state.subarray(runs[i], runs[i] + runs[i + 1]), at);
        at += runs[i + 1];
      }
      return {runs: runs, words: words};
    },

    // The delta's words written into `state` (a copy).
    apply: function(delta, state) {
      for (var i = 0, at = 0; i < delta.runs.length; i += 2) {
        state.set(delta.words.subarray(at, at + delta.runs[i + 1]), delta.runs[i]);
        at += delta.runs[i + 1];
      }
    },

    bytes: function(delta) { return 4 * (delta.runs.length + delta.words.length); },

    // A delta as text for the tab (base64 of its words), and back; null where the text is not a
    // delta of this state's size.
    encode: function(delta) {
      var all = new Int32Array(1 + delta.runs.length + delta.words.length);
      all[0] = delta.runs.length;
      all.set(delta.runs, 1);
      all.set(delta.words, 1 + delta.runs.length);
      var bytes = new Uint8Array(all.buffer), binary = '';
      for (var i = 0; i < bytes.length; i += 8192) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
      return btoa(binary);
    },
    decode: function(text) {
      try {
        var binary = atob(text);
        if (binary.length % 4 !== 0 || binary.length < 4) return null;
        var bytes = new Uint8Array(binary.length);
        for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
        var all = new Int32Array(bytes.buffer), count = all[0], words = 0;
        if (count < 0 || count % 2 !== 0 || 1 + count > all.length) return null;
        var runs = all.subarray(1, 1 + count);
        for (i = 0; i < count; i += 2) {
          if (runs[i] < 0 || runs[i + 1] < 1 || runs[i] + runs[i + 1] > GaugeplotState.words) return null;
          words += runs[i + 1];
        }
        if (1 + count + words !== all.length) return null;
        return {runs: runs, words: all.subarray(1 + count)};
      } catch (e) {
        return null;
      }
    },

    // A digest of a copy (FNV-1a over its words): the same build gives the same start state, so
    // a tab's delta is only applied to the build it was taken from.
    digest: function(state) {
      var h = 0x811c9dc5;
      for (var i = 0; i < state.length; i++) h = Math.imul(h ^ state[i], 16777619);
      return (h >>> 0).toString(16) + ':' + state.length;
    },
  },
};

mergeInto(LibraryManager.library, GaugeplotStateLibrary);

// The web layer's links (a --js-library): a sketch in the page's address, written and read, for
// web/journal.js.
//
// The address's fragment holds the calls that made the sketch since the page opened or the last
// "New sketch" (#sketch=: their text, deflated by the browser's CompressionStream, in URL-safe
// base64), each a letter and up to four numbers, as web/layer.cpp makes them into the viewer:
//   R w,h      a reshape to w x h CSS pixels      V x,y,m    a motion, modifiers m
//   D b,x,y,m  a press of button b                K k,x,y,m  a key (its character code)
//   U b,x,y,m  its release                        C n,v      the choice of value v in menu n
//   F          a frame: the 3D viewer applies its pending field updates in one
// Text:  gaugeplot3d/2:R640,640FC1,1FD0,200,200FUF...  (the viewer, the format, the calls). In
// format 2 a drag is its press, its last motion and its release, a run of frames one F, positions
// relative to the call before (the first to (0, 0)), and numbers that end a call and are 0 are
// left out, so that a release where the press was is "U": a drag costs what a click costs. Format
// 1, which earlier pages wrote, has every call and frame and absolute positions; it is still read.
// In the 3D viewer a link keeps the sketch to within rounding: its field sums are updated once a
// drag rather than once a frame, and fewer frames advance the beams' random sequence, so the
// picture is the same but for a few pixels (the tab and Undo keep it bit for bit).
// A link is input: its text is parsed strictly, within fixed bounds, and each call is played only
// if the layer itself could have made it at that point (sizes and positions within MaxSide pixels,
// a button released only after its press, no press of a button with a menu attached, a menu choice
// only of an attached menu's entries). Playing stops at the first call that fails, or that ends
// the viewer, and the page says what it could not read. Nothing of it runs as script or markup.
var GaugeplotLinkLibrary = {
  $GaugeplotLink: {
    MaxCalls: 50000,      // calls read from a link: about a day of editing, played in seconds
    MaxSide: 16384,       // CSS pixels: window sides, and pointer positions either way of the window
    MaxLink: 100000,      // characters of a fragment, written or read
    Arity: {R: 2, F: 0, D: 4, U: 4, V: 3, K: 4, C: 2},

    // One call into the journal's text, format 2: positions relative to the one before.
    write: function(kind, a, b, c, d) {
      var J = GaugeplotJournal, n = [a, b, c, d];
      if (kind === 68 || kind === 85 || kind === 75) n = [a, b - J.x, c - J.y, d];
      if (kind === 86) n = [a - J.x, b - J.y, c, 0];
      if (kind === 68 || kind === 85 || kind === 75) { J.x = b; J.y = c; }
      if (kind === 86) { J.x = a; J.y = b; }
      var letter = String.fromCharCode(kind), used = GaugeplotLink.Arity[letter];
      while (used > 0 && !n[used - 1]) used--;
      J.text += letter + n.slice(0, used).join(',');
    },

    // The link, a moment after each finished action.
    save: function() {
      var J = GaugeplotJournal, L = GaugeplotLink, serial = ++J.saveSerial, text = J.linkText();
      clearTimeout(J.saveTimer);
      J.saveTimer = 0;
      if (!J.actions || typeof CompressionStream !== 'function') {
        J.link = '';
        J.written = serial;
        history.replaceState(history.state, '', location.pathname + location.search);
        return (J.saving = Promise.resolve());
      }
      return (J.saving = L.deflate(text).then(function(code) {
        if (serial !== J.saveSerial || J.ended) return;
        J.written = serial;
        var link = '#sketch=' + code;
        if (link.length > GaugeplotLink.MaxLink) {
          if (J.link !== 'long')
            J.notice('This sketch has been edited for so long that its link would be too long: the address no longer ' +
              'follows it. The tab keeps it for a reload; "New sketch" starts a link afresh.');
          J.link = 'long';
          history.replaceState(history.state, '', location.pathname + location.search);
        } else {
          J.link = link;
          history.replaceState(history.state, '', link);
        }
      }));
    },

    deflate: function(text) {
      var stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
      return new Response(stream).arrayBuffer().then(function(buffer) {
        var bytes = new Uint8Array(buffer), binary = '';
        for (var i = 0; i < bytes.length; i += 8192) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
      });
    },

    // The fragment's text, or a rejection; at most MaxCalls calls' worth is inflated.
    inflate: function(code) {
      if (code.length > GaugeplotLink.MaxLink || !/^[A-Za-z0-9_-]*$/.test(code)) return Promise.reject(new Error('not a link'));
      var binary = atob(code.replace(/-/g, '+').replace(/_/g, '/') + '==='.slice((code.length + 3) % 4));
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
      var reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
      var chunks = [], total = 0, limit = 40 * GaugeplotLink.MaxCalls;
      var join = function() {
        var all = new Uint8Array(total), at = 0;
        chunks.forEach(function(c) { all.set(c, at); at += c.length; });
        return all;
      };
      var pump = function() {
        return reader.read().then(function(part) {
          if (part.done) return new TextDecoder('utf-8', {fatal: true}).decode(join());
          total += part.value.length;
          if (total > limit) {
            reader.cancel();
            throw new Error('too long');
          }
          chunks.push(part.value);
          return pump();
        });
      };
      return pump();
    },

    // The calls of a journal's text, positions made absolute: {records, partial}, or {problem}.
    parse: function(text) {
      var J = GaugeplotJournal;
      var head = /^(gaugeplot[23]d)\/(\d{1,6}):/.exec(text);
      if (!head) return {problem: 'unreadable'};
      if (head[1] !== J.viewer()) return {problem: 'viewer', other: head[1]};
      var format = Number(head[2]);
      if (format !== 1 && format !== 2) return {problem: 'version'};
      var call = /([RFDUVKC])(-?\d{1,7}(?:,-?\d{1,7}){0,3})?/y, records = [], x = 0, y = 0;
      call.lastIndex = head[0].length;
      while (call.lastIndex < text.length && records.length < GaugeplotLink.MaxCalls) {
        var m = call.exec(text);
        var n = m && m[2] ? m[2].split(',').map(Number) : [];
        if (!m || n.length > GaugeplotLink.Arity[m[1]]) return {records: records, partial: true};
        var r = [m[1].charCodeAt(0)].concat(n, [0, 0, 0, 0]).slice(0, 5);
        if (format === 2 && (m[1] === 'D' || m[1] === 'U' || m[1] === 'K')) { r[2] = x += r[2]; r[3] = y += r[3]; }
        if (format === 2 && m[1] === 'V') { r[1] = x += r[1]; r[2] = y += r[2]; }
        records.push(r);
      }
      return {records: records, partial: call.lastIndex < text.length};
    },

    // Could the layer itself have made this call here? (Positions may lie outside the window, as
    // a drag that leaves it gives them.)
    allowed: function(r, first) {
      var J = GaugeplotJournal, W = GaugeplotWeb, side = GaugeplotLink.MaxSide;
      var place = function(x, y, m) { return Math.abs(x) <= side && Math.abs(y) <= side && m >= 0 && m <= 7; };
      var button = r[1] >= 0 && r[1] <= 2;
      if (first) return r[0] === 82;  // a journal begins with the window's size
      switch (r[0]) {
        case 82: return r[1] >= 1 && r[1] <= side && r[2] >= 1 && r[2] <= side;
        case 70: return !!Module['framesKeepState'];
        case 68: return button && !J.down[r[1]] && !W.attached[r[1]] && place(r[2], r[3], r[4]);
        case 85: return button && J.down[r[1]] && place(r[2], r[3], r[4]);
        case 86: return J.anyDown() && place(r[1], r[2], r[3]);
        case 75: return r[1] >= 0 && r[1] <= 255 && place(r[2], r[3], r[4]);
        case 67: return r[1] > 0 && W.attached.indexOf(r[1]) >= 0 &&
          (W.menus[r[1]] || []).some(function(entry) { return entry.value === r[2]; });
      }
      return false;
    },

    call: function(r) {
      switch (r[0]) {
        case 82: Module['_fromPageResize'](r[1], r[2]); break;
        case 70: Module['_fromPageFrame'](0); break;
        case 68: case 85: Module['_fromPageMouse'](r[1], r[0] === 85 ? 1 : 0, r[2], r[3], r[4]); break;
        case 86: Module['_fromPageMotion'](r[1], r[2], r[3]); break;
        case 75: Module['_fromPageKey'](r[1], r[2], r[3], r[4]); break;
        case 67: Module['_fromPageMenu'](r[1], r[2]); break;
      }
    },

    // At load: the tab's sketch, or the link's where the address holds another.
    read: function() {
      var J = GaugeplotJournal, L = GaugeplotLink, stored = null;
      try {
        stored = JSON.parse(sessionStorage.getItem(J.storageKey()) || 'null');
      } catch (e) {}
      var hash = location.hash;
      if (hash.startsWith('#sketch=') && !(stored && stored.link === hash)) {
        J.link = hash;
        return Promise.resolve(hash.slice(8)).then(L.inflate).then(function(text) { return {text: text, from: 'link'}; },
          function() { return {text: '', from: 'link'}; });
      }
      if (stored && typeof stored.text === 'string') {
        J.link = typeof stored.link === 'string' ? stored.link : '';
        return Promise.resolve({text: stored.text, from: 'tab', stored: stored});
      }
      return null;
    },

    // Once the address holds the sketch as it is now.
    copyLink: function() {
      var J = GaugeplotJournal, L = GaugeplotLink;
      if (typeof CompressionStream !== 'function') return J.notice('This browser cannot write the sketch into a link.');
      (J.saveTimer || !J.saving ? L.save() : J.saving).then(function() {
        if (J.link === 'long') return J.notice('This sketch is too long for a link; the tab keeps it for a reload.');
        var text = location.href;
        if (navigator.clipboard) navigator.clipboard.writeText(text).catch(function() { J.notice('The link: ' + text); });
        else J.notice('The link: ' + text);
      });
    },
  },
};

mergeInto(LibraryManager.library, GaugeplotLinkLibrary);

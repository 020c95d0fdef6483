// The web layer's page part (a --js-library): input, GLUT menus and the viewer's end, in the page's DOM.
//
// Emscripten's GLUT gets no input callbacks: the viewers' ones stay in web/layer.cpp, and this file
// calls them from DOM events as the desktop's GLUT would, in the window's CSS pixels:
// - the mouse: a press, its release, and motion while a pressed button reached the viewer, with
//   the current position (Emscripten's GLUT passes the previous one), also outside the canvas;
//   a button the page holds as pressed that a mouse or pointer event's `buttons` says is up (its
//   release lost outside the window, over a dialog, in a switch of windows, or sent as another
//   button by some automation) is released where the pointer last was, as the desktop would;
// - a press of a button with a menu attached opens the menu at the pointer instead, and neither the
//   press nor its release reaches the viewer; a press elsewhere closes the menu, and goes nowhere;
// - touch and pen: a touch is the left button; a long press (or the browser's context-menu event)
//   is the right button, so it opens the menu, or reaches the viewer when none is attached;
// - keys as characters (Esc is 27), at the last pointer position; none while the menu is open;
//   Space and Enter are not characters: on the canvas they are the keyboard pointer's button;
// - the keyboard pointer, on the focused canvas: the arrows move it (Shift: 10 CSS pixels), from
//   the window's centre or where the mouse or a touch left it, always within the window; Space or
//   Enter is the left button there, held while the key is (arrows then drag); Alt with an arrow is
//   an Alt drag of as many pixels from it (a press, a motion, a release: the 3D viewer turns). A
//   cross-hair shows it until the mouse or a touch is used. Its press is no mouse button's: the
//   mouse's `buttons` leave it alone (the mouse moving then drags, as the system's mouse keys do),
//   while a left press of the mouse, or the canvas losing the focus, ends it with a release;
// - the keyboard's menu key and Shift+F10 open the right button's menu at the keyboard pointer (or
//   are its click there, when no menu is attached); arrows move between entries, Enter or Space
//   chooses, Esc or Tab closes it; the pop-up has the menu and menuitem roles for screen readers;
// - the header's buttons are one toolbar, one Tab stop: the arrows, Home and End move the focus
//   between the buttons that can take it (not the disabled or hidden ones); the one focused last
//   keeps the stop, and when it is disabled, the focus and the stop go to the next one;
// - the window's size: fitted to the visible area below the header, as a window manager fits a
//   window to a screen, and fitted anew (the viewer reshaped, the picture redrawn at once) whenever
//   that area changes or the page's button puts the window in full screen or takes it out;
// - exit(): the viewers end with exit(status), which throws out of the call here; the page then
//   says so, offers to start again, and nothing reaches the viewer any more;
// - Ctrl+Z undoes the last action, Ctrl+Shift+Z and Ctrl+Y redo it (web/journal.js), never while
//   the menu is open or a button is held; the keys do not reach the viewer;
// - a lost GL context: the emulation cannot take a restored one, so the page says that the
//   graphics were reset, keeps the journal, and loads itself anew when the context comes back.
var GaugeplotWebLibrary = {
  $GaugeplotWeb: {
    menus: {},             // GLUT menu number -> [{label, value}]
    attached: [0, 0, 0],   // menu number per button, 0 for none
    openMenu: null,        // the pop-up element while it is open
    delivered: [false, false, false],  // pressed, and the press reached the viewer
    swallowed: [false, false, false],  // pressed, and the press opened or closed the menu
    touch: null,           // the touch or pen contact under way
    x: 0, y: 0,            // last pointer position, CSS pixels from the canvas's top-left
    pointed: false,        // the pointer has been on the canvas
    keyed: false,          // the keyboard pointer in use: the cross-hair shows while the canvas has the focus
    keyButton: '',         // the code of the key (Space, Enter) holding the left button, '' for none
    tool: null,            // the toolbar's button that has its Tab stop
    askedWidth: 300, askedHeight: 300,  // CSS pixels, as glutInitWindowSize asked
    width: 0, height: 0,   // CSS pixels, as fitted
    ratio: 1,              // backing-store pixels per CSS pixel, taken when the page loads
    ended: false,
    lost: false,           // the GL context, until the page loads anew
    TouchSlop: 6,          // CSS pixels a contact may move and still be a tap or a long press
    LongPressMs: 600,

    canvas: function() { return Module['canvas']; },

    modifiers: function(e) {
      return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);  // GLUT_ACTIVE_*
    },

    // Whole CSS pixels from the canvas's top-left corner, as GLUT's window coordinates.
    place: function(e) {
      var r = GaugeplotWeb.canvas().getBoundingClientRect();
      GaugeplotWeb.x = Math.floor(e.clientX - r.left);
      GaugeplotWeb.y = Math.floor(e.clientY - r.top);
      GaugeplotWeb.pointed = true;
    },

    // Every call into the viewer: exit() arrives here as Emscripten's ExitStatus.
    call: function(f) {
      if (GaugeplotWeb.ended || GaugeplotWeb.lost) return;
      try {
        f();
      } catch (e) {
        if (e && e.name === 'ExitStatus') GaugeplotWeb.end(e.status);
        else throw e;
      }
    },

    press: function(button, state, modifiers) {
      GaugeplotWeb.call(function() {
        Module['_fromPageMouse'](button, state, GaugeplotWeb.x, GaugeplotWeb.y, modifiers);
      });
    },

    motion: function(modifiers) {
      GaugeplotWeb.call(function() {
        Module['_fromPageMotion'](GaugeplotWeb.x, GaugeplotWeb.y, modifiers);
      });
    },

    // A press of the button: the menu if one is attached, else the viewer. clientX/clientY: where.
    buttonDown: function(button, modifiers, clientX, clientY) {
      if (GaugeplotWeb.attached[button]) {
        GaugeplotWeb.swallowed[button] = true;
        GaugeplotWeb.showMenu(GaugeplotWeb.attached[button], clientX, clientY);
      } else {
        GaugeplotWeb.delivered[button] = true;
        GaugeplotWeb.press(button, 0 /* GLUT_DOWN */, modifiers);
      }
    },

    buttonUp: function(button, modifiers) {
      if (button === 0) GaugeplotWeb.keyButton = '';
      GaugeplotWeb.swallowed[button] = false;
      if (GaugeplotWeb.delivered[button]) {
        GaugeplotWeb.delivered[button] = false;
        GaugeplotWeb.press(button, 1 /* GLUT_UP */, modifiers);
      }
    },

    dragging: function() {
      return GaugeplotWeb.delivered[0] || GaugeplotWeb.delivered[1] || GaugeplotWeb.delivered[2];
    },

    // In full screen only the full-screen element shows, so the menu goes into it.
    showMenu: function(menu, clientX, clientY) {
      GaugeplotWeb.closeMenu();
      var holder = document.fullscreenElement || document.body;
      var origin = holder === document.body ? {left: -window.scrollX, top: -window.scrollY} : holder.getBoundingClientRect();
      var left = clientX - origin.left, top = clientY - origin.top;
      var box = document.createElement('div');
      box.id = 'glut-menu';
      box.setAttribute('role', 'menu');
      box.setAttribute('aria-label', document.title + ' menu');
      box.style.left = left + 'px';
      box.style.top = top + 'px';
      (GaugeplotWeb.menus[menu] || []).forEach(function(entry) {
        var item = document.createElement('button');
        item.type = 'button';
        item.className = 'glut-menu-entry';
        item.setAttribute('role', 'menuitem');
        item.tabIndex = -1;  // reached with the arrows, as in a desktop menu
        item.dataset.value = entry.value;
        item.textContent = entry.label;
        item.addEventListener('click', function() {
          GaugeplotWeb.closeMenu();
          GaugeplotWeb.call(function() { Module['_fromPageMenu'](menu, entry.value); });
        });
        box.appendChild(item);
      });
      holder.appendChild(box);
      // Kept inside the browser's window, as freeglut keeps its menus on the screen.
      var r = box.getBoundingClientRect();
      var w = document.documentElement.clientWidth, h = document.documentElement.clientHeight;
      if (r.right > w) box.style.left = Math.max(0, left - (r.right - w)) + 'px';
      if (r.bottom > h) box.style.top = Math.max(0, top - (r.bottom - h)) + 'px';
      GaugeplotWeb.openMenu = box;
    },

    // The focus, when it was in the menu, goes back to the canvas.
    closeMenu: function() {
      var menu = GaugeplotWeb.openMenu;
      GaugeplotWeb.openMenu = null;
      if (!menu) return;
      var focused = menu.contains(document.activeElement);
      menu.remove();
      if (focused) GaugeplotWeb.canvas().focus({preventScroll: true});
    },

    // The menu key or Shift+F10: the right button's menu at the keyboard pointer, its first entry
    // focused; with no menu attached, the right button's click there, as the mouse's would be.
    keyMenu: function() {
      var W = GaugeplotWeb, menu = W.attached[2 /* GLUT_RIGHT_BUTTON */];
      W.aim();
      var r = W.canvas().getBoundingClientRect();
      if (!menu) {
        if (W.delivered[2]) return;
        W.buttonDown(2, 0, r.left + W.x, r.top + W.y);
        W.buttonUp(2, 0);
        return;
      }
      W.showMenu(menu, r.left + W.x, r.top + W.y);
      W.openMenu.querySelector('[role=menuitem]').focus();
    },

    // The keyboard pointer takes over: where the mouse or a touch left it (the window's centre
    // before), brought within the window, the cross-hair shown.
    aim: function() {
      var W = GaugeplotWeb;
      if (!W.pointed) {
        W.x = Math.floor(W.width / 2);
        W.y = Math.floor(W.height / 2);
        W.pointed = true;
      }
      W.x = Math.min(Math.max(W.x, 0), W.width - 1);
      W.y = Math.min(Math.max(W.y, 0), W.height - 1);
      W.keyed = true;
      W.drawCross();
    },

    drawCross: function() {
      var W = GaugeplotWeb, cross = document.getElementById('crosshair');
      if (!cross) return;
      cross.hidden = !W.keyed || W.ended || document.activeElement !== W.canvas();
      cross.style.setProperty('--x', W.x + 'px');
      cross.style.setProperty('--y', W.y + 'px');
    },

    // Keys on the focused canvas that are the keyboard pointer's; false for any other.
    pointerKey: function(e) {
      var W = GaugeplotWeb;
      var step = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]}[e.key];
      if (!step && e.key !== ' ' && e.key !== 'Enter') return false;
      e.preventDefault();  // no scrolling, and Alt with an arrow is not the browser's Back or Forward
      W.aim();
      var r = W.canvas().getBoundingClientRect();
      if (!step) {
        // A key held repeats its key-down: the press is the first one's alone.
        if (!e.repeat && !W.keyButton && !W.delivered[0] && !W.swallowed[0]) {
          W.keyButton = e.code || e.key;
          W.buttonDown(0, W.modifiers(e), r.left + W.x, r.top + W.y);
        }
        return true;
      }
      var n = e.shiftKey ? 10 : 1, dx = step[0] * n, dy = step[1] * n;
      if (e.altKey && !W.dragging()) {
        W.altDrag(dx, dy, r);
      } else {
        // Shift only sets the step here: the viewer gets the motion of a plain drag.
        W.x = Math.min(Math.max(W.x + dx, 0), W.width - 1);
        W.y = Math.min(Math.max(W.y + dy, 0), W.height - 1);
        if (W.dragging()) W.motion(W.modifiers(e) & ~1);
      }
      W.drawCross();
      return true;
    },

    // An Alt drag of (dx, dy) as the mouse's reaches the viewer, from the keyboard pointer, or from
    // as near it as keeps both ends within the window; the keyboard pointer stays where it is.
    altDrag: function(dx, dy, r) {
      var W = GaugeplotWeb, x = W.x, y = W.y;
      var start = function(at, d, side) {
        d = Math.min(Math.max(d, 1 - side), side - 1);
        return [Math.min(Math.max(at, -Math.min(d, 0)), side - 1 - Math.max(d, 0)), d];
      };
      var sx = start(x, dx, W.width), sy = start(y, dy, W.height);
      W.x = sx[0];
      W.y = sy[0];
      W.buttonDown(0, 4 /* GLUT_ACTIVE_ALT */, r.left + W.x, r.top + W.y);
      W.x += sx[1];
      W.y += sy[1];
      if (W.delivered[0]) W.motion(4);
      W.buttonUp(0, 4);
      W.x = x;
      W.y = y;
    },

    onKeyUp: function(e) {
      if (GaugeplotWeb.keyButton && (e.code || e.key) === GaugeplotWeb.keyButton) GaugeplotWeb.buttonUp(0, GaugeplotWeb.modifiers(e));
    },

    // The canvas's focus gone (to the menu, another element, another window): the key's release
    // may never come here.
    onCanvasBlur: function() {
      if (GaugeplotWeb.keyButton) GaugeplotWeb.buttonUp(0, 0);
      GaugeplotWeb.drawCross();
    },

    // Every mouse and pointer event, before the handlers below: the mouse or a touch takes over from
    // the keyboard pointer, and a button held by the page that the browser says is up is released
    // where the pointer last was. The button an up event, or a pointer move that changes the
    // buttons, reports is its handler's, released at the event's position.
    onAnyPointer: function(e) {
      var W = GaugeplotWeb;
      if (W.keyed) {
        W.keyed = false;
        W.drawCross();
      }
      var changed = e.type === 'mouseup' || e.type === 'pointerup' || e.type === 'pointermove' ? e.button : -1;
      [1, 4, 2].forEach(function(bit, button) {  // the buttons bits of GLUT's left, middle and right
        var otherwise = button === 0 && (W.keyButton || (W.touch && W.touch.pressed));
        if (button === changed || (e.buttons & bit) || otherwise) return;
        if (W.delivered[button] || W.swallowed[button]) W.buttonUp(button, W.modifiers(e));
      });
    },

    // The toolbar's buttons that can take the focus, in order.
    tools: function() {
      var bar = document.getElementById('sketch');
      return Array.prototype.filter.call(bar.querySelectorAll('button'), function(b) { return !b.disabled && !b.hidden; });
    },

    // The toolbar's Tab stop to `to`, else kept, else (its button disabled or hidden) to the nearest
    // one after it, else before it; the focus goes with it if it was on the button that lost it.
    rove: function(to) {
      var W = GaugeplotWeb, all = Array.prototype.slice.call(document.getElementById('sketch').querySelectorAll('button'));
      var usable = W.tools(), at = all.indexOf(W.tool);
      var near = all.slice(at + 1).concat(all.slice(0, Math.max(at, 0)).reverse());
      var next = usable.indexOf(to) >= 0 ? to : usable.indexOf(W.tool) >= 0 ? W.tool
        : near.filter(function(b) { return usable.indexOf(b) >= 0; })[0] || null;
      all.forEach(function(b) { b.tabIndex = b === next ? 0 : -1; });
      if (at >= 0 && next && next !== W.tool && document.activeElement === W.tool) next.focus();
      W.tool = next;
    },

    onToolKey: function(e) {
      var tools = GaugeplotWeb.tools(), at = tools.indexOf(e.target), last = tools.length - 1;
      if (at < 0 || e.altKey || e.ctrlKey || e.metaKey || e.shiftKey) return;
      var to = {ArrowLeft: at === 0 ? last : at - 1, ArrowRight: at === last ? 0 : at + 1, Home: 0, End: last}[e.key];
      if (to === undefined) return;
      e.preventDefault();
      tools[to].focus();
    },

    // Keys while the menu is open; Enter and Space are the focused entry's own.
    menuKey: function(e) {
      var entries = Array.prototype.slice.call(GaugeplotWeb.openMenu.querySelectorAll('[role=menuitem]'));
      var at = entries.indexOf(document.activeElement), last = entries.length - 1;
      var to = {ArrowDown: at < 0 || at === last ? 0 : at + 1, ArrowUp: at <= 0 ? last : at - 1, Home: 0, End: last}[e.key];
      if (e.key === 'Escape' || e.key === 'Tab') {
        e.preventDefault();
        GaugeplotWeb.closeMenu();
      } else if (to !== undefined) {
        e.preventDefault();
        entries[to].focus();
      }
    },

    onMouseDown: function(e) {
      if (e.button > 2) return;
      e.preventDefault();  // no text selection; the focus is given below, without scrolling
      GaugeplotWeb.canvas().focus({preventScroll: true});
      if (GaugeplotWeb.ended || GaugeplotWeb.swallowed[e.button]) return;
      // Held already: by the keyboard pointer, or its release was lost; released first, where it was.
      if (GaugeplotWeb.delivered[e.button]) GaugeplotWeb.buttonUp(e.button, GaugeplotWeb.modifiers(e));
      GaugeplotWeb.place(e);
      GaugeplotWeb.buttonDown(e.button, GaugeplotWeb.modifiers(e), e.clientX, e.clientY);
    },

    onMouseUp: function(e) {
      if (e.button > 2) return;
      if (GaugeplotWeb.delivered[e.button]) GaugeplotWeb.place(e);
      GaugeplotWeb.buttonUp(e.button, GaugeplotWeb.modifiers(e));
    },

    onMouseMove: function(e) {
      if (!GaugeplotWeb.dragging()) {
        if (e.target === GaugeplotWeb.canvas()) GaugeplotWeb.place(e);
        return;
      }
      var x = GaugeplotWeb.x, y = GaugeplotWeb.y;
      GaugeplotWeb.place(e);
      if (GaugeplotWeb.x !== x || GaugeplotWeb.y !== y) GaugeplotWeb.motion(GaugeplotWeb.modifiers(e));
    },

    // Before anything else sees it: a press outside the open menu closes it and goes nowhere.
    onAnyPointerDown: function(e) {
      if (!GaugeplotWeb.openMenu || GaugeplotWeb.openMenu.contains(e.target)) return;
      GaugeplotWeb.closeMenu();
      if (e.pointerType === 'mouse') {
        if (e.button >= 0 && e.button <= 2) GaugeplotWeb.swallowed[e.button] = true;
      } else {
        e.preventDefault();
        e.stopPropagation();
      }
    },

    // Touch and pen: the press waits until the contact moves (a drag from where it started), ends
    // (a tap) or is held (a long press, the right button).
    onTouchDown: function(e) {
      if (e.pointerType === 'mouse' || !e.isPrimary) return;
      e.preventDefault();
      if (GaugeplotWeb.ended) return;
      GaugeplotWeb.canvas().focus({preventScroll: true});
      GaugeplotWeb.canvas().setPointerCapture(e.pointerId);
      var touch = {id: e.pointerId, clientX: e.clientX, clientY: e.clientY,
                   modifiers: GaugeplotWeb.modifiers(e), pressed: false, held: false};
      touch.timer = setTimeout(function() { GaugeplotWeb.longPress(touch); }, GaugeplotWeb.LongPressMs);
      GaugeplotWeb.touch = touch;
    },

    touchPress: function(touch) {
      clearTimeout(touch.timer);
      touch.pressed = true;
      GaugeplotWeb.place(touch);
      GaugeplotWeb.buttonDown(0, touch.modifiers, touch.clientX, touch.clientY);
    },

    longPress: function(touch) {
      if (GaugeplotWeb.touch !== touch || touch.pressed || touch.held) return;
      clearTimeout(touch.timer);
      touch.held = true;
      GaugeplotWeb.place(touch);
      GaugeplotWeb.buttonDown(2, touch.modifiers, touch.clientX, touch.clientY);
      GaugeplotWeb.buttonUp(2, touch.modifiers);
    },

    onTouchMove: function(e) {
      var touch = GaugeplotWeb.touch;
      if (!touch || e.pointerId !== touch.id || touch.held) return;
      if (!touch.pressed) {
        if (Math.abs(e.clientX - touch.clientX) + Math.abs(e.clientY - touch.clientY) <= GaugeplotWeb.TouchSlop) return;
        GaugeplotWeb.touchPress(touch);
      }
      var x = GaugeplotWeb.x, y = GaugeplotWeb.y;
      GaugeplotWeb.place(e);
      if (GaugeplotWeb.delivered[0] && (GaugeplotWeb.x !== x || GaugeplotWeb.y !== y)) GaugeplotWeb.motion(touch.modifiers);
    },

    onTouchUp: function(e) {
      var touch = GaugeplotWeb.touch;
      if (!touch || e.pointerId !== touch.id) return;
      clearTimeout(touch.timer);
      GaugeplotWeb.touch = null;
      if (touch.held) return;
      if (!touch.pressed && e.type === 'pointerup') GaugeplotWeb.touchPress(touch);
      GaugeplotWeb.place(e);
      GaugeplotWeb.buttonUp(0, touch.modifiers);
    },

    onContextMenu: function(e) {
      e.preventDefault();  // the browser's own menu never shows over the viewer
      var touch = GaugeplotWeb.touch;
      if (touch && e.target === GaugeplotWeb.canvas()) GaugeplotWeb.longPress(touch);
    },

    onKeyDown: function(e) {
      var undoKey = (e.ctrlKey || e.metaKey) && !e.altKey && (e.key === 'z' || e.key === 'Z' || e.key === 'y' || e.key === 'Y');
      if (undoKey) {
        e.preventDefault();
        if (GaugeplotJournal.free()) (e.shiftKey || e.key === 'y' || e.key === 'Y' ? GaugeplotJournal.redo : GaugeplotJournal.undo)();
        return;
      }
      if (GaugeplotWeb.ended || e.ctrlKey || e.metaKey) return;
      if (GaugeplotWeb.openMenu) {
        GaugeplotWeb.menuKey(e);
        return;
      }
      var onViewer = e.target === GaugeplotWeb.canvas() || e.target === document.body;
      if (onViewer && (e.key === 'ContextMenu' || (e.key === 'F10' && e.shiftKey))) {
        e.preventDefault();
        GaugeplotWeb.keyMenu();
        return;
      }
      // What browsers do with Esc in full screen, whichever browser: leave it, the viewer running on.
      if (e.key === 'Escape' && document.fullscreenElement) {
        e.preventDefault();
        document.exitFullscreen();
        return;
      }
      if (e.target === GaugeplotWeb.canvas() && GaugeplotWeb.pointerKey(e)) return;
      if (e.key === 'Enter' || e.key === ' ') return;  // the pointer's on the canvas; elsewhere the browser's
      var named = {Escape: 27, Enter: 13, Backspace: 8, Delete: 127};
      var key = e.key in named ? named[e.key] : e.key.length === 1 ? e.key.charCodeAt(0) : -1;
      if (key < 0 || key > 255) return;
      e.preventDefault();
      var modifiers = GaugeplotWeb.modifiers(e);
      GaugeplotWeb.call(function() {
        Module['_fromPageKey'](key, GaugeplotWeb.x, GaugeplotWeb.y, modifiers);
      });
    },

    // exit(status): the desktop's window would close; here the page says so and stays.
    end: function(status) {
      GaugeplotWeb.ended = true;
      GaugeplotWeb.closeMenu();
      GaugeplotWeb.drawCross();
      Module['_fromPageHalt']();
      GaugeplotJournal.clear();
      window.gaugeplotExitStatus = status;
      GaugeplotWeb.canvas().classList.add('ended');
      var ended = document.getElementById('ended');
      if (ended) {
        document.getElementById('ended-text').textContent = 'The viewer has ended with exit status ' + status + '.';
        ended.hidden = false;
        var restart = document.getElementById('restart');
        if (restart) restart.focus();
      }
    },

    // Touches on the canvas are this layer's, through pointer events. Emscripten's GLUT, whose
    // listeners come later, would replay them as mouse events and cancel touch ends the browser no
    // longer lets be cancelled after a long press, which it reports as an error.
    claimTouches: function() {
      ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
        window.addEventListener(type, function(e) {
          if (e.target === GaugeplotWeb.canvas()) e.stopImmediatePropagation();
        }, true);
      });
    },

    // The window as a window manager fits it to the screen: the asked size where the visible area
    // below the header holds it, else the largest of the same shape that fits; in full screen the
    // largest the screen holds. Each side is rounded down to whole CSS pixels, and the window is
    // centred on whole ones, so that pointer positions stay whole. After the end only the CSS size
    // follows, which keeps the last picture.
    fit: function() {
      var canvas = GaugeplotWeb.canvas(), win = canvas.parentElement, screen = win.parentElement;
      var full = document.fullscreenElement === screen;
      var view = window.visualViewport;
      var roomWidth = full ? screen.clientWidth : document.documentElement.clientWidth;
      var roomHeight = full ? screen.clientHeight
        : Math.floor((view ? view.height * view.scale : window.innerHeight) - (screen.getBoundingClientRect().top + window.scrollY));
      var scale = Math.min(roomWidth / GaugeplotWeb.askedWidth, roomHeight / GaugeplotWeb.askedHeight);
      if (!full) scale = Math.min(scale, 1);
      // 1e-9: a side that fits exactly must not lose a pixel to the division's rounding.
      var width = Math.max(1, Math.floor(GaugeplotWeb.askedWidth * scale + 1e-9));
      var height = Math.max(1, Math.floor(GaugeplotWeb.askedHeight * scale + 1e-9));
      win.style.width = width + 'px';
      win.style.height = height + 'px';
      win.style.marginLeft = Math.max(0, Math.floor((roomWidth - width) / 2)) + 'px';
      win.style.marginTop = full ? Math.max(0, Math.floor((roomHeight - height) / 2)) + 'px' : '';
      if (GaugeplotWeb.ended || (width === GaugeplotWeb.width && height === GaugeplotWeb.height)) return;
      GaugeplotWeb.width = width;
      GaugeplotWeb.height = height;
      canvas.width = Math.round(width * GaugeplotWeb.ratio);
      canvas.height = Math.round(height * GaugeplotWeb.ratio);
      GaugeplotWeb.call(function() { Module['_fromPageReshape'](width, height); });
      if (GaugeplotWeb.keyed) GaugeplotWeb.aim();
    },

    // The header's button; in full screen it moves into the full-screen element, which alone shows.
    toggleFullscreen: function() {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else {
        GaugeplotWeb.canvas().parentElement.parentElement.requestFullscreen().catch(function(e) {
          console.warn('gaugeplot: the browser refused full screen: ' + e.message);
        });
      }
    },

    // The default, a canvas that stays blank for good, kept from happening.
    onContextLost: function(e) {
      e.preventDefault();
      GaugeplotWeb.lost = true;
      GaugeplotWeb.closeMenu();
      GaugeplotJournal.keep();
      GaugeplotWeb.canvas().classList.add('ended');
      var lost = document.getElementById('lost');
      if (lost) lost.hidden = false;
    },

    // An open menu is closed: the layout it was placed in has gone. Out of the toolbar, the button
    // is a Tab stop of its own; moved, it keeps the focus it had.
    onFullscreenChange: function() {
      GaugeplotWeb.closeMenu();
      var button = document.getElementById('fullscreen'), focused = document.activeElement === button;
      var full = document.fullscreenElement !== null;
      button.textContent = full ? 'Leave full screen' : 'Full screen';
      if (full) {
        button.tabIndex = 0;
        document.fullscreenElement.appendChild(button);
      } else {
        var bar = document.getElementById('sketch');
        bar.insertBefore(button, bar.firstChild);  // where it was
      }
      if (focused) button.focus({preventScroll: true});
      GaugeplotWeb.fit();
    },
  },

  $GaugeplotWeb__postset: 'GaugeplotWeb.claimTouches();',

  toPagePixelRatio__deps: ['$GaugeplotWeb'],
  toPagePixelRatio: function() {
    GaugeplotWeb.ratio = window.devicePixelRatio > 0 ? window.devicePixelRatio : 1;
    return GaugeplotWeb.ratio;
  },

  // The canvas's CSS size is its holder's: Emscripten's GLUT sets and clears the canvas's own style.
  // The fitted size reaches web/layer.cpp through fromPageReshape.
  toPageSizeWindow__deps: ['$GaugeplotWeb'],
  toPageSizeWindow: function(width, height) {
    GaugeplotWeb.askedWidth = width;
    GaugeplotWeb.askedHeight = height;
    GaugeplotWeb.fit();
  },

  toPageOpenWindow__deps: ['$GaugeplotWeb'],
  toPageOpenWindow: function(title) {
    document.title = UTF8ToString(title);
    var canvas = GaugeplotWeb.canvas();
    ['mousedown', 'mousemove', 'mouseup', 'pointerdown', 'pointermove', 'pointerup'].forEach(function(type) {
      window.addEventListener(type, GaugeplotWeb.onAnyPointer, true);  // before every other listener of the layer
    });
    canvas.addEventListener('mousedown', GaugeplotWeb.onMouseDown);
    window.addEventListener('mouseup', GaugeplotWeb.onMouseUp, true);
    window.addEventListener('mousemove', GaugeplotWeb.onMouseMove, true);
    document.addEventListener('pointerdown', GaugeplotWeb.onAnyPointerDown, true);
    canvas.addEventListener('pointerdown', GaugeplotWeb.onTouchDown);
    canvas.addEventListener('pointermove', GaugeplotWeb.onTouchMove);
    canvas.addEventListener('pointerup', GaugeplotWeb.onTouchUp);
    canvas.addEventListener('pointercancel', GaugeplotWeb.onTouchUp);
    document.addEventListener('contextmenu', function(e) {
      if (e.target === canvas || (GaugeplotWeb.openMenu && GaugeplotWeb.openMenu.contains(e.target))) GaugeplotWeb.onContextMenu(e);
    });
    window.addEventListener('keydown', GaugeplotWeb.onKeyDown, true);
    window.addEventListener('keyup', GaugeplotWeb.onKeyUp, true);
    canvas.addEventListener('blur', GaugeplotWeb.onCanvasBlur);
    canvas.addEventListener('focus', GaugeplotWeb.drawCross);
    // A resized browser window, a turned phone, the on-screen keyboard shown or put aside.
    window.addEventListener('resize', GaugeplotWeb.fit);
    if (window.visualViewport) window.visualViewport.addEventListener('resize', GaugeplotWeb.fit);
    document.addEventListener('fullscreenchange', GaugeplotWeb.onFullscreenChange);
    canvas.addEventListener('webglcontextlost', GaugeplotWeb.onContextLost);
    canvas.addEventListener('webglcontextrestored', function() { location.reload(); });
    var button = document.getElementById('fullscreen');
    if (button && document.fullscreenEnabled) {
      button.hidden = false;
      button.addEventListener('click', GaugeplotWeb.toggleFullscreen);
    }
    var bar = document.getElementById('sketch');
    if (bar) {
      // The journal enables and disables its buttons as the sketch changes; full screen takes one out and back.
      new MutationObserver(function() { GaugeplotWeb.rove(null); })
        .observe(bar, {subtree: true, childList: true, attributes: true, attributeFilter: ['disabled', 'hidden']});
      bar.addEventListener('focusin', function(e) { GaugeplotWeb.rove(e.target); });
      bar.addEventListener('keydown', GaugeplotWeb.onToolKey);
      GaugeplotWeb.rove(null);
    }
    GaugeplotWeb.fit();  // the button may have made the header taller
  },

  toPageScreenSize: function(height) {
    return height ? window.screen.height : window.screen.width;
  },

  toPageFrameDrawn: function() {
    window.gaugeplotReady = true;
  },

  toPageMenuEntry__deps: ['$GaugeplotWeb'],
  toPageMenuEntry: function(menu, label, value) {
    (GaugeplotWeb.menus[menu] = GaugeplotWeb.menus[menu] || []).push({label: UTF8ToString(label), value: value});
  },

  toPageMenuAttach__deps: ['$GaugeplotWeb'],
  toPageMenuAttach: function(button, menu) {
    GaugeplotWeb.attached[button] = menu;
  },
};

mergeInto(LibraryManager.library, GaugeplotWebLibrary);

// The web layer's page part (a --js-library): input, GLUT menus and the viewer's end, in the page's DOM.
//
// Emscripten's GLUT gets no input callbacks: the viewers' ones stay in web/layer.cpp, and this file
// calls them from DOM events as the desktop's GLUT would, in the window's CSS pixels:
// - the mouse: a press, its release, and motion while a pressed button reached the viewer, with
//   the current position (Emscripten's GLUT passes the previous one), also outside the canvas;
// - a press of a button with a menu attached opens the menu at the pointer instead, and neither the
//   press nor its release reaches the viewer; a press elsewhere closes the menu, and goes nowhere;
// - touch and pen: a touch is the left button; a long press (or the browser's context-menu event)
//   is the right button, so it opens the menu, or reaches the viewer when none is attached;
// - keys as characters (Esc is 27), at the last pointer position; none while the menu is open;
// - the keyboard's menu key and Shift+F10 open the right button's menu where the pointer last was
//   on the canvas (its centre before that); arrows move between entries, Enter or Space chooses, Esc
//   or Tab closes it; the pop-up has the menu and menuitem roles for screen readers;
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

    // The menu key or Shift+F10: the right button's menu, its first entry focused.
    keyMenu: function() {
      var menu = GaugeplotWeb.attached[2 /* GLUT_RIGHT_BUTTON */];
      if (!menu) return;
      var r = GaugeplotWeb.canvas().getBoundingClientRect();
      var x = GaugeplotWeb.pointed ? Math.min(Math.max(GaugeplotWeb.x, 0), GaugeplotWeb.width - 1) : Math.floor(GaugeplotWeb.width / 2);
      var y = GaugeplotWeb.pointed ? Math.min(Math.max(GaugeplotWeb.y, 0), GaugeplotWeb.height - 1) : Math.floor(GaugeplotWeb.height / 2);
      GaugeplotWeb.showMenu(menu, r.left + x, r.top + y);
      GaugeplotWeb.openMenu.querySelector('[role=menuitem]').focus();
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
      e.preventDefault();
      if (GaugeplotWeb.ended || GaugeplotWeb.swallowed[e.button]) return;
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
      if (e.target instanceof HTMLButtonElement && (e.key === 'Enter' || e.key === ' ')) return;
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

    // An open menu is closed: the layout it was placed in has gone.
    onFullscreenChange: function() {
      GaugeplotWeb.closeMenu();
      var button = document.getElementById('fullscreen');
      var full = document.fullscreenElement !== null;
      button.textContent = full ? 'Leave full screen' : 'Full screen';
      if (full) document.fullscreenElement.appendChild(button);
      else document.querySelector('header').insertBefore(button, document.getElementById('sketch'));  // where it was
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

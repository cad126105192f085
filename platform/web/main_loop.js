// GLUT's main loop as freeglut turns it (the display when one is posted, then the idle
// callback), but through the browser's event loop: between turns the page runs, and a turn waits
// until the pause the last frame asked for is over (Sleep.cpp). Replaces Emscripten's, which
// draws at the browser's refresh rate and calls the idle callback every 4 ms.
mergeInto(LibraryManager.library, {
  $WebLoop: {
    resumeAt: 0,
    redisplay: false,
    // Runs one of the program's callbacks: exit() ends it with an ExitStatus, which is no error.
    call: function(callback) {
      try {
        callback();
      } catch (e) {
        handleException(e);
      }
    },
  },
  $WebLoop__deps: ['$handleException'],

  // GLUT's key handlers, run as the frames are (an exit from a key's handler is no error), fed
  // from two sources: the keyboard and the page's buttons (Module.holdKey). The program holds a
  // key while either source holds it, and hears its key-up only when the last one lets go, so a
  // key tapped while its button is held does not stop the movement, nor the other way round. The
  // page hears each change (Module.onKeyHeld), so a button lights while the program holds its key,
  // whichever source holds it. A page that loses the focus (to another window or tab, or the
  // canvas to another element) hears no more key-ups: every held key then counts as released,
  // so that none stays down for ever.
  $WebKeys: {
    // By key code: the event GLUT was handed at the press, and which sources hold the key.
    held: {},
    // When the key now being handed to GLUT went down or up, on performance.now()'s scale: the
    // browser stamps its events as they happen, and a long frame delays only their handling.
    stamp: 0,
    handOn: function(handler, event) {
      WebKeys.stamp = event.timeStamp !== undefined ? event.timeStamp : performance.now();
      WebLoop.call(function() { handler(event); });
    },
    tell: function(keyCode, down) {
      if (Module['onKeyHeld']) Module['onKeyHeld'](keyCode, down);
    },
    press: function(source, event) {
      if (ABORT) return;
      var key = WebKeys.held[event.keyCode];
      var first = !key;
      if (first) {
        key = WebKeys.held[event.keyCode] = {
          event: {
            keyCode: event.keyCode, shiftKey: event.shiftKey, ctrlKey: event.ctrlKey,
            altKey: event.altKey, metaKey: event.metaKey, preventDefault: function() {},
          },
          sources: {},
        };
      } else if (!key.sources[source]) {
        // Already down for the program: a second source adds nothing it would hear.
        key.sources[source] = true;
        return;
      }
      // The keyboard's own repeats reach the program as they do on the desktop.
      key.sources[source] = true;
      WebKeys.handOn(GLUT.onKeydown, event);
      if (first) WebKeys.tell(event.keyCode, true);
    },
    lift: function(source, event) {
      if (ABORT) return;
      var key = WebKeys.held[event.keyCode];
      if (key) {
        delete key.sources[source];
        if (Object.keys(key.sources).length > 0) return;
        delete WebKeys.held[event.keyCode];
        WebKeys.tell(event.keyCode, false);
      }
      WebKeys.handOn(GLUT.onKeyup, event);
    },
    releaseAll: function() {
      var held = WebKeys.held;
      WebKeys.held = {};
      for (var code in held) {
        WebKeys.tell(Number(code), false);
        if (!ABORT) WebKeys.handOn(GLUT.onKeyup, held[code].event);
      }
    },
    keyDown: function(event) { WebKeys.press('keyboard', event); },
    keyUp: function(event) { WebKeys.lift('keyboard', event); },
    // The page's buttons: a key, by its key code, pressed or released as the keyboard does it.
    hold: function(keyCode, down) {
      var event = { keyCode: keyCode, preventDefault: function() {} };
      if (down) WebKeys.press('button', event);
      else WebKeys.lift('button', event);
    },
    listen: function() {
      Module['holdKey'] = WebKeys.hold;
      window.removeEventListener('keydown', GLUT.onKeydown, true);
      window.removeEventListener('keyup', GLUT.onKeyup, true);
      // The program takes no touch input. GLUT's touch handler on the window turns a touch on the
      // canvas into mouse events for nobody, and cancels the touch, which the browser refuses
      // (the window's touch listeners are passive) with a message in the console for every one.
      ['touchstart', 'touchmove', 'touchend'].forEach(function(type) {
        window.removeEventListener(type, GLUT.touchHandler, true);
      });
      window.addEventListener('keydown', WebKeys.keyDown, true);
      window.addEventListener('keyup', WebKeys.keyUp, true);
      window.addEventListener('blur', WebKeys.releaseAll);
      Module['canvas'].addEventListener('blur', WebKeys.releaseAll);
      document.addEventListener('visibilitychange', function() {
        if (document.hidden) WebKeys.releaseAll();
      });
    },
  },
  $WebKeys__deps: ['$GLUT', '$WebLoop'],

  // How long ago the key being handed on went down or up, in milliseconds (WindowWatch.cpp).
  webKeyEventAge__deps: ['$WebKeys'],
  webKeyEventAge: function() {
    return Math.max(0, performance.now() - WebKeys.stamp);
  },

  webPauseLoop__deps: ['$WebLoop'],
  webPauseLoop: function(milliseconds) {
    WebLoop.resumeAt = Math.max(WebLoop.resumeAt, performance.now() + milliseconds);
  },

  glutIdleFunc__deps: ['$GLUT'],
  glutIdleFunc: function(func) {
    GLUT.idleFunc = func;
  },

  glutPostRedisplay__deps: ['$WebLoop'],
  glutPostRedisplay: function() {
    WebLoop.redisplay = true;
  },

  glutMainLoop__deps: ['$GLUT', '$WebLoop', '$WebKeys', 'glutReshapeWindow', 'fflush'],
  glutMainLoop: function() {
    _glutReshapeWindow(Module['canvas'].width, Module['canvas'].height);
    WebKeys.listen();
    function turn() {
      if (ABORT) return;
      if (WebLoop.redisplay && GLUT.displayFunc) {
        WebLoop.redisplay = false;
        // The page's hooks around a frame, as Emscripten's own main loop has them.
        if (Module['preMainLoop']) Module['preMainLoop']();
        WebLoop.call(function() { {{{ makeDynCall('v', 'GLUT.displayFunc') }}}(); });
        // What the frame printed reaches the page now, a line not yet ended included, rather
        // than when the program ends.
        if (!ABORT) _fflush(0);
        if (Module['postMainLoop'] && !ABORT) Module['postMainLoop']();
      }
      if (GLUT.idleFunc && !ABORT) {
        WebLoop.call(function() { {{{ makeDynCall('v', 'GLUT.idleFunc') }}}(); });
      }
      if (!ABORT) setTimeout(turn, Math.max(0, WebLoop.resumeAt - performance.now()));
    }
    setTimeout(turn, 0);
    throw 'unwind';
  },
});

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

  // GLUT's key handlers, run as the frames are (an exit from a key's handler is no error), and
  // the keys held down, by key code, as GLUT's key-up handler reads them. A page that loses the
  // focus (to another window or tab, or the canvas to another element) hears no more key-ups:
  // every held key then counts as released, so that none stays down for ever.
  $WebKeys: {
    held: {},
    press: function(event) {
      if (ABORT) return;
      WebKeys.held[event.keyCode] = {
        keyCode: event.keyCode, shiftKey: event.shiftKey, ctrlKey: event.ctrlKey,
        altKey: event.altKey, metaKey: event.metaKey, preventDefault: function() {},
      };
      WebLoop.call(function() { GLUT.onKeydown(event); });
    },
    lift: function(event) {
      if (ABORT) return;
      delete WebKeys.held[event.keyCode];
      WebLoop.call(function() { GLUT.onKeyup(event); });
    },
    releaseAll: function() {
      var held = WebKeys.held;
      WebKeys.held = {};
      for (var code in held) {
        if (ABORT) return;
        WebLoop.call(function() { GLUT.onKeyup(held[code]); });
      }
    },
    // The page's buttons: a key, by its key code, pressed or released as the keyboard does it.
    hold: function(keyCode, down) {
      var event = { keyCode: keyCode, preventDefault: function() {} };
      if (down) WebKeys.press(event);
      else WebKeys.lift(event);
    },
    listen: function() {
      Module['holdKey'] = WebKeys.hold;
      window.removeEventListener('keydown', GLUT.onKeydown, true);
      window.removeEventListener('keyup', GLUT.onKeyup, true);
      window.addEventListener('keydown', WebKeys.press, true);
      window.addEventListener('keyup', WebKeys.lift, true);
      window.addEventListener('blur', WebKeys.releaseAll);
      Module['canvas'].addEventListener('blur', WebKeys.releaseAll);
      document.addEventListener('visibilitychange', function() {
        if (document.hidden) WebKeys.releaseAll();
      });
    },
  },
  $WebKeys__deps: ['$GLUT', '$WebLoop'],

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

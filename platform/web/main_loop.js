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
    // The page's buttons press and release a key as the keyboard does: through the program's
    // special-key handlers, with GLUT's key codes.
    specialKey: function(key, down) {
      var handler = down ? GLUT.specialFunc : GLUT.specialUpFunc;
      if (ABORT || !handler) return;
      WebLoop.call(function() {
        {{{ makeDynCall('viii', 'handler') }}}(key, Browser.mouseX, Browser.mouseY);
      });
    },
  },
  $WebLoop__deps: ['$handleException', '$GLUT', '$Browser'],

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

  glutMainLoop__deps: ['$GLUT', '$WebLoop', 'glutReshapeWindow'],
  glutMainLoop: function() {
    _glutReshapeWindow(Module['canvas'].width, Module['canvas'].height);
    Module['specialKey'] = WebLoop.specialKey;
    function turn() {
      if (ABORT) return;
      if (WebLoop.redisplay && GLUT.displayFunc) {
        WebLoop.redisplay = false;
        // The page's hooks around a frame, as Emscripten's own main loop has them.
        if (Module['preMainLoop']) Module['preMainLoop']();
        WebLoop.call(function() { {{{ makeDynCall('v', 'GLUT.displayFunc') }}}(); });
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

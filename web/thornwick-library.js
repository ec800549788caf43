// JavaScript the browser build links in (emcc --js-library).
mergeInto(LibraryManager.library, {
  // SDL's own inline JavaScript calls Emscripten's autoResumeAudioContext
  // (audio) and dynCall (joysticks), which a program includes only when
  // something names them.
  thornwick_keep_sdl_helpers__deps: ['$autoResumeAudioContext', '$dynCall'],
  thornwick_keep_sdl_helpers: function() {},

  // The game ends through exit() (Escape). Emscripten's own exit() leaves a
  // program whose main loop still runs alive, its exit handlers not run;
  // this one ends it as a desktop program ends: the exit handlers release
  // the game and its sound, then the runtime stops and the loop with it.
  exit: function(status) {
    noExitRuntime = false;
    runtimeKeepaliveCounter = 0;
    exit(status);
  },
});

// The soak run of thornwick-capture: plays the generated world headless for
// hours of simulated time under a random key script and checks the world's
// invariants at every step. Owns nothing past its return.
#pragma once

// True when the command line asks for a soak (--soak MINUTES).
bool isSoakCommand(int argc, char** argv);

// Runs `thornwick-capture --soak MINUTES [--seed N] [--size WxH]` and returns
// the process's exit status: 0 when every check held, 1 on a fault, 2 on a
// bad command line.
int soakMain(int argc, char** argv);

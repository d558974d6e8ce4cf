// The signals after which a session must save before it ends, and the
// standard streams, as both front ends set them up before anything else.
// Both catch the signals (tarvo-cli through its handler, the window through
// its event loop).
#pragma once

#include <vector>

namespace tarvo {

// Every signal whose default action ends the process, but the program's own
// faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP), after
// which nothing it holds can be trusted, and the two that report failed
// output (SIGPIPE, SIGXFSZ), which IgnoreOutputSignals turns into failed
// writes. A signal the process started with ignored (a background job's
// SIGINT, nohup's SIGHUP) is left out: it stays ignored.
std::vector<int> SessionEndingSignals();

// A reader that went away (SIGPIPE) and a file that reached its size limit
// (SIGXFSZ) become failed writes, seen and reported where they happen.
void IgnoreOutputSignals();

// A standard stream the caller closed would otherwise be the number the next
// open file gets (a lock, a temporary, the window system's connection), and
// what is written to the stream would land in it. Each closed one is
// reopened on /dev/null for reading, so that a write to it still fails, as
// it should.
void KeepStandardStreamsTaken();

}  // namespace tarvo

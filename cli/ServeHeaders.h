#pragma once
// Limits on reading a request's headers in plomet serve. The HTTP library
// reads a header line to its end before it checks its length, counts no
// lines, and times each read but not the whole: a client that sends a byte
// every few seconds, or megabytes of header lines, held a connection thread
// and its memory as long as it liked. So its socket reads are watched here,
// on the connection's own thread, from the first byte of a request to the
// end of its headers: past the limits, the connection reads as ended, the
// library answers the broken request, and cutOff() says why.
#include <chrono>
#include <cstddef>

namespace plomet {

struct HeaderLimits {
    std::chrono::milliseconds time{10000};   // from a request's first byte to its blank line
    size_t bytes = size_t(256) << 10;          // the request line and every header line
    size_t lines = 4096;
};

enum class HeaderCut { None, Late, TooLarge };

// Before the server starts; the same limits for every connection.
void setHeaderLimits(const HeaderLimits& limits);
const HeaderLimits& headerLimits();

// The calling thread serves a new connection: the first socket it reads
// from is the connection's, and a request's headers come first.
void watchConnection();
// The connection is done with: this thread's reads are not watched.
void forgetConnection();
// The request's headers have all arrived: its body is not limited here.
void headersArrived();
// The answer went out: the next request's headers come next.
void awaitHeaders();
// Why the headers being read were cut off, if they were.
HeaderCut headerCut();

} // namespace plomet

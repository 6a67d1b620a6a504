// SPDX-License-Identifier: MIT
#pragma once

namespace Qorvin::LocalService {

// Faults on demand, so that the program can be tried against a slow or failing service.
// Only pages count (everything but the MP3 files); 0 turns a fault off.
struct ServerOptions
{
    int delayMs = 0;      // every page is answered this much later
    int failEvery = 0;    // every Nth page fails: alternately a 500 page and a reset connection
    int stallEvery = 0;   // every Nth page sends its headers and half its body, then nothing more
    bool verbose = false; // one line per request on stderr: method, target, status, milliseconds
};

} // namespace Qorvin::LocalService

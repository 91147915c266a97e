#pragma once

// Saving a protocol of many megabytes builds its whole text and its file
// bytes in fresh buffers of that size, and so do printing, the web page and
// the results list. The C library maps fresh pages for each such buffer and
// unmaps them again, and touching the new pages the first time cost more than
// building the text: after a 10 MB protocol had been loaded in the background
// a save took 60-110 ms and 4,700 page faults instead of 30 ms and none.
// Called once at the very start, before any thread exists, this makes such
// buffers come from the heap and lets the heap keep what they freed for the
// next one; the heap may then hold up to 128 MB it does not use. Does nothing
// where the C library offers no such settings.
void keepLargeBuffersResident();

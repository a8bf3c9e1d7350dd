#pragma once

// Loopers and the child watcher do a little work each time something wakes
// them, and the next step of a run often waits for that little work: an
// encoder's end reaches the watcher, its notice the application, which
// launches the next encoder. While every processor is busy encoding, the
// scheduler lets a woken thread wait until the running encoder's turn ends,
// a few milliseconds, unless the thread asks for short turns: then it runs
// at once, and gives the processor back as soon. Its share of the processor
// stays what it was. Kernels that do not know the request (before 6.12)
// ignore it, and so does this where the call is refused.
//
// Kit-private.

namespace kit_private {

// Asks for short turns on the processor for the calling thread.
// Thread: any, for itself.
void AskShortSlice();

} // namespace kit_private

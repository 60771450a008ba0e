#pragma once
// How the process hands freed memory back to the system.

namespace wlg {

// Keeps freed blocks of up to 64 MB for the next use instead of returning
// them at once. Frames, display pictures and file texts are made and freed
// over and over; returned each time, every new one costs a page fault per
// 4 KB, which was most of an animation's time. Call once at start-up.
void KeepFreedMemoryForReuse();

}  // namespace wlg

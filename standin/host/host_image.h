// The game's fixed addresses must be this program's own memory: a zeroed block inside the
// image, which loads at 0x400000 and cannot be relocated.
#pragma once

// True when every page from the call site up past the highest fixed address belongs to this
// image, is committed and writable or executable as the host needs.
bool HostImageCoversLayout();

// lab/export_png.h — pictures of the lab's views as files: a PNG writer of
// its own, and new files named by date and time that never replace one.
//
// GL-free (zelmor_lab_logic): the GL side reads the window's pixels and
// hands them over; everything here is tested without a display.
#pragma once

#include <string>

// A PNG of w x h RGB pixels, 8 bits a channel, given as rows from the
// bottom up (as glReadPixels returns them with GL_PACK_ALIGNMENT 1).  The
// image data is deflate's stored blocks: no compression library is needed
// and every PNG reader takes it.  w and h must be at least 1.
std::string png_encode(int w, int h, const unsigned char* rgb_bottom_up);

// The PNG's pixels back as RGB rows from the top (tests; only what
// png_encode writes: 8-bit RGB, filter 0, stored blocks).  False when the
// bytes are not such a PNG or a checksum is wrong.
bool png_decode_stored(const std::string& png, int* w, int* h, std::string* rgb_top_down);

// Writes data to a new file in the working directory named
// "<stem>-YYYYMMDD-HHMMSS<suffix>" by the local time (or "-2", "-3"...
// before the suffix when taken); an existing file is never replaced (safe
// replace with no_replace, synced).  Returns 0 with the name in *name, or an
// errno value with *reason saying why (and *name the last name tried).
int write_new_dated(const std::string& stem, const std::string& suffix, const std::string& data,
                    std::string* name, std::string* reason);

// The same for a name whose base is given ("zelmor-lab-2d-20261210-043512"):
// the files of one export share their stamp.
int write_new_named(const std::string& base, const std::string& suffix, const std::string& data,
                    std::string* name, std::string* reason);

// The date-and-time stamp the dated names use for now ("20261210-043512").
std::string dated_stamp();

// PNG by hand: signature, IHDR, one IDAT holding a zlib stream of stored
// deflate blocks, IEND.  Stored blocks make files of about 3 bytes a pixel
// (under a megabyte for a window), which is the price of needing no
// library on every platform the lab is built for, the page included.
#include "lab/export_png.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "app/safe_write.h"

namespace {

std::uint32_t crc_table[256];
bool crc_ready = false;

std::uint32_t crc32_of(const unsigned char* p, std::size_t n, std::uint32_t c = 0xffffffffu) {
  if (!crc_ready) {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t v = i;
      for (int k = 0; k < 8; ++k) v = (v & 1) ? 0xedb88320u ^ (v >> 1) : v >> 1;
      crc_table[i] = v;
    }
    crc_ready = true;
  }
  for (std::size_t i = 0; i < n; ++i) c = crc_table[(c ^ p[i]) & 0xff] ^ (c >> 8);
  return c;
}

void put32(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v >> 24);
  s += static_cast<char>(v >> 16);
  s += static_cast<char>(v >> 8);
  s += static_cast<char>(v);
}

std::uint32_t get32(const std::string& s, std::size_t at) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  put32(out, crc32_of(reinterpret_cast<const unsigned char*>(body.data()), body.size()) ^ 0xffffffffu);
}

std::uint32_t adler32_of(const std::string& d) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : d) {
    a = (a + c) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";

}  // namespace

std::string png_encode(int w, int h, const unsigned char* rgb) {
  std::string out(kSignature, 8);
  std::string ihdr;
  put32(ihdr, static_cast<std::uint32_t>(w));
  put32(ihdr, static_cast<std::uint32_t>(h));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, filter set 0, no interlace
  chunk(out, "IHDR", ihdr);

  // The raw scanlines, top row first, each led by filter byte 0.
  const std::size_t row = static_cast<std::size_t>(w) * 3;
  std::string raw;
  raw.reserve((row + 1) * static_cast<std::size_t>(h));
  for (int y = h - 1; y >= 0; --y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(rgb) + row * static_cast<std::size_t>(y), row);
  }
  std::string z = "\x78\x01";  // deflate, 32K window, no dictionary; header checksum holds
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(n & 0xff);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xff);
    z += static_cast<char>((~n >> 8) & 0xff);
    z.append(raw, at, n);
    if (last) break;
  }
  put32(z, adler32_of(raw));
  chunk(out, "IDAT", z);
  chunk(out, "IEND", "");
  return out;
}

bool png_decode_stored(const std::string& png, int* w, int* h, std::string* rgb) {
  if (png.size() < 8 || png.compare(0, 8, std::string(kSignature, 8)) != 0) return false;
  std::size_t at = 8;
  std::string z;
  int width = 0, height = 0;
  bool ended = false;
  while (at + 12 <= png.size() && !ended) {
    const std::uint32_t n = get32(png, at);
    if (at + 12 + n > png.size()) return false;
    const std::string type = png.substr(at + 4, 4);
    const std::string body = png.substr(at + 4, 4 + n);
    if ((crc32_of(reinterpret_cast<const unsigned char*>(body.data()), body.size()) ^ 0xffffffffu) !=
        get32(png, at + 8 + n))
      return false;
    const std::string data = png.substr(at + 8, n);
    if (type == "IHDR") {
      if (n != 13 || data.compare(8, 5, std::string("\x08\x02\x00\x00\x00", 5)) != 0) return false;
      width = static_cast<int>(get32(data, 0));
      height = static_cast<int>(get32(data, 4));
    } else if (type == "IDAT") {
      z += data;
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + n;
  }
  if (!ended || width <= 0 || height <= 0 || z.size() < 6) return false;
  std::string raw;
  std::size_t p = 2;
  for (;;) {
    if (p + 5 > z.size()) return false;
    const bool last = z[p] & 1;
    if ((z[p] & 6) != 0) return false;  // only stored blocks
    const unsigned n = static_cast<unsigned char>(z[p + 1]) | (static_cast<unsigned char>(z[p + 2]) << 8);
    const unsigned nn = static_cast<unsigned char>(z[p + 3]) | (static_cast<unsigned char>(z[p + 4]) << 8);
    if ((n ^ nn) != 0xffffu || p + 5 + n > z.size()) return false;
    raw.append(z, p + 5, n);
    p += 5 + n;
    if (last) break;
  }
  if (p + 4 != z.size() || get32(z, p) != adler32_of(raw)) return false;
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  if (raw.size() != (row + 1) * static_cast<std::size_t>(height)) return false;
  rgb->clear();
  for (int y = 0; y < height; ++y) {
    if (raw[(row + 1) * static_cast<std::size_t>(y)] != 0) return false;
    rgb->append(raw, (row + 1) * static_cast<std::size_t>(y) + 1, row);
  }
  *w = width;
  *h = height;
  return true;
}

std::string dated_stamp() {
  const std::time_t now = std::time(nullptr);
  struct tm local;
  char stamp[32] = "00000000-000000";
  if (localtime_r(&now, &local) != nullptr) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return stamp;
}

int write_new_dated(const std::string& stem, const std::string& suffix, const std::string& data,
                    std::string* name, std::string* reason) {
  return write_new_named(stem + "-" + dated_stamp(), suffix, data, name, reason);
}

int write_new_named(const std::string& base, const std::string& suffix, const std::string& data,
                    std::string* name, std::string* reason) {
  safe_write_options options;
  options.links = link_rule::write_through;
  options.no_replace = true;
  options.sync = true;
  safe_write_result r;
  r.error = EEXIST;
  r.reason = std::strerror(EEXIST);
  // Bounded: a folder that refuses every name ends in a report, not a loop.
  for (int k = 1; k <= 1000; ++k) {
    *name = base + (k > 1 ? "-" + std::to_string(k) : "") + suffix;
    struct stat st;
    if (lstat(name->c_str(), &st) == 0) continue;
    r = safe_replace(name->c_str(), data.data(), data.size(), options);
    if (r.error != EEXIST) break;
  }
  if (r.error != 0) *reason = r.reason != nullptr ? r.reason : std::strerror(r.error);
  return r.error;
}

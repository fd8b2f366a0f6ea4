// Character-level helpers for texts in the GBK (code page 936) encoding.
#pragma once

namespace rt {

// A byte that starts a double-byte character when a non-NUL byte follows it.
inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Whether a and b are the same text when ASCII letters are compared without case; the two
// bytes of a double-byte character are compared exactly, so a trail byte is never folded.
bool EqualIgnoringCase(const char* a, const char* b);

}  // namespace rt

#pragma once

#include <cstddef>

// zlib's own rules for deflate data, for checking what another decoder accepted.
//
// libdeflate decodes every stream that zlib decodes to the same bytes, but it also accepts some
// that zlib refuses: more than 286 literal/length or 30 distance codes in a block header, a code
// length repeat that runs past the end of the lengths, distance codes 30 and 31 in fixed blocks,
// and possibly other corner cases of incomplete codes. Such data is never written by a compressor,
// but a crafted file can hold it, and the engine must decide exactly as zlib does.

namespace pagewright::decode {

// True only when zlib's inflate, given zlib data[0, length) (two-byte header first), would take
// every block header and every code of the deflate data as valid. False when zlib would refuse
// something, and also whenever the check is unsure (data that ends early, a code it does not
// follow): a false result means "ask zlib", never "zlib refuses".
//
// What zlib checks beyond the codes (output size, distances reaching back before the start, the
// Adler-32 trailer) is not looked at here; a decoder that follows the deflate format already
// decides those the same way. The body of a last block whose codes are complete is not walked:
// within such a block nothing but those checks can fail.
bool FollowsZlibRules(const unsigned char* data, std::size_t length);

} // namespace pagewright::decode

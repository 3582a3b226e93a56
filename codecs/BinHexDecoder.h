#pragma once
// Decodes the characters of one BinHex 4.0 section into the bytes of the
// encoded file's data fork. Three layers: characters to 6-bit values, four
// characters to three bytes, and the 0x90 run-length layer. The expanded
// stream begins with the header (the name, the forks' lengths, the header's
// CRC), which the decoder keeps; every byte after it is handed out: the data
// fork, its CRC, the resource fork, its CRC. The caller cuts its output to
// OutputLength(), which drops all but the data fork. The header's and both
// forks' CRCs are checked.
//
// The characters arrive in chunks, as the reader hands them over (a line
// with the characters it borrowed, or a piece of a long line); the caller
// may pass a chunk in pieces of any size and says which piece ends it. A
// chunk's short last group is completed with "!", the character for 0, and
// the run-length items at its end that may go on in the next chunk wait
// for it.
//
// Bytes are written into an area the caller gives, never more than its room.
// A run is never split between two areas: when the next item does not fit,
// the step stops and says so; the caller hands the area on and calls
// Resume with fresh room. An area that is empty must have room for the
// longest run (kMinRoom bytes). The forks' CRCs run over the bytes handed
// out in long spans, not a step's few bytes at a time: the caller leaves
// the bytes a step wrote as they are (it may copy or write them out) until
// its next step, or until Finish has said how the checks went.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/Alphabets.h"
#include "codecs/BinHexForks.h"
#include "codecs/CodecStatus.h"

namespace twick {

/// What one step of the BinHex decoder did.
struct BinHexStep {
  /// Characters taken (a step takes all it is given, or none when resumed).
  size_t consumed = 0;
  /// Bytes written at the start of the area.
  size_t produced = 0;
  /// Bytes are waiting that do not fit in the room left: hand the area on,
  /// then call Resume.
  bool outputFull = false;
  /// NeedMore while the section goes on; once Finish has handed out every
  /// byte, Done, or ChecksWrong when the header or a fork is incomplete or
  /// does not match its CRC.
  CodecStatus status = CodecStatus::NeedMore;
};

class BinHexDecoder {
 public:
  /// The longest run; an empty area must have room for it.
  static constexpr size_t kMinRoom = 255;

  explicit BinHexDecoder(const DecodeTable& table);

  /// Takes `chars`, a piece of a chunk, and when `chunkEnds` decodes the
  /// chunk and writes its bytes at `out` (at most `room`). Only after a step
  /// that did not say outputFull.
  BinHexStep Decode(std::string_view chars, bool chunkEnds, unsigned char* out, size_t room);
  /// Goes on writing after a step that said outputFull.
  BinHexStep Resume(unsigned char* out, size_t room);
  /// The section's characters are all given: ends a chunk left open and
  /// hands out the bytes held back for a next chunk (the last check value
  /// lies there). The step's status tells whether the checks passed.
  BinHexStep Finish(unsigned char* out, size_t room);

  /// After a step that said outputFull, for characters given to Decode as
  /// one chunk that the caller read as several (each a multiple of four
  /// characters, ending at `chunkEnds`, counted from the first character):
  /// the first chunk from `first` on during which the step would have
  /// stopped had each chunk been given to Decode alone. The bytes are the
  /// same either way; this tells the caller which chunk to account the
  /// stop to.
  size_t ChunkOfStop(const size_t* chunkEnds, size_t count, size_t first) const;

  /// The length the output is cut to: the data fork's length as the header
  /// declares it; 0 while the header is incomplete.
  uint64_t OutputLength() const { return headerDone_ ? dataLength_ : 0; }

 private:
  struct Area {
    unsigned char* at;
    size_t room;
  };

  void BeginChunk(std::string_view chars);
  void BeginHeldBytes();
  void EndChunk();
  BinHexStep Run(unsigned char* out, size_t room);
  bool ExpandReady(Area& area);
  bool PutRun(Area& area);
  void CheckHandedOut();
  void TakeHeaderByte(unsigned char byte);
  void TakeHeader();

  /// Header bytes besides the name: its length byte and the 21 after it.
  static constexpr size_t kHeaderFixed = 22;
  static constexpr size_t kMaxHeader = 255 + kHeaderFixed;

  const SpreadTable table_;
  const bool standard_;
  /// The pieces of a chunk that has not ended yet.
  std::string chars_;

  /// Held-back bytes at the front, then the chunk's bytes, then zeros.
  std::vector<unsigned char> bytes_;
  size_t held_ = 0;
  /// The chunk being expanded: its items from `pos_` up to `ready_` are
  /// still to go out; bytes from `ready_` to `total_` wait for the next.
  size_t pos_ = 0;
  size_t ready_ = 0;
  size_t total_ = 0;
  bool mayHoldMarker_ = true;
  bool expanding_ = false;
  bool finishing_ = false;
  /// Held bytes in front of the chunk being expanded.
  size_t chunkBase_ = 0;
  /// Where the item lies that the last step that said outputFull could not
  /// hand out.
  size_t stoppedAt_ = 0;
  /// Copies of a run that did not fit in the area.
  unsigned char runValue_ = 0;
  size_t runLeft_ = 0;

  std::array<unsigned char, kMaxHeader> header_{};
  size_t headerSize_ = 0;
  bool headerDone_ = false;
  bool headerCrcOk_ = false;
  uint32_t dataLength_ = 0;
  BinHexForkChecker forks_;
  /// Bytes handed out that the forks' CRCs have not run over yet.
  const unsigned char* unchecked_ = nullptr;
  size_t uncheckedSize_ = 0;
};

}  // namespace twick

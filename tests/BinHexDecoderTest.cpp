#include "codecs/BinHexDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "codecs/BinHexCrc.h"

namespace twick {
namespace {

std::string WithCrc(const std::string& bytes) {
  const uint16_t crc =
      BinHexCrcSpan(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return bytes + static_cast<char>(crc >> 8) + static_cast<char>(crc & 0xFF);
}

std::string BigEndian(uint32_t value) {
  std::string out;
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
  return out;
}

// The expanded stream of a file: header, data fork, resource fork, each
// followed by its CRC.
std::string Expanded(const std::string& name, const std::string& data, const std::string& res) {
  const std::string header = static_cast<char>(name.size()) + name + std::string(11, '\0') +
                             BigEndian(static_cast<uint32_t>(data.size())) +
                             BigEndian(static_cast<uint32_t>(res.size()));
  return WithCrc(header) + WithCrc(data) + WithCrc(res);
}

// Runs of three or more become "c 0x90 n"; the marker itself is "0x90 0".
std::string RunLength(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    size_t n = 1;
    while (i + n < bytes.size() && bytes[i + n] == bytes[i] && n < 255) ++n;
    if (bytes[i] == '\x90') {
      out += std::string("\x90\0", 2);
      n = 1;
    } else if (n >= 3) {
      out += std::string{bytes[i], '\x90', static_cast<char>(n)};
    } else {
      out += std::string(n, bytes[i]);
    }
    i += n;
  }
  return out;
}

// The characters, cut into lines (the chunks a reader hands over).
std::vector<std::string> Chunks(const std::string& bytes, size_t lineLength = 64) {
  std::string chars;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k)
      v = v << 8 | (i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (int shift = 18; shift >= 0; shift -= 6) chars += BinHexAlphabet[(v >> shift) & 63];
  }
  std::vector<std::string> chunks;
  for (size_t i = 0; i < chars.size(); i += lineLength)
    chunks.push_back(chars.substr(i, lineLength));
  return chunks;
}

struct Decoded {
  std::string output;         // cut to OutputLength()
  std::vector<size_t> areas;  // the sizes of the areas handed on
  CodecStatus status = CodecStatus::NeedMore;
};

// Feeds every chunk in pieces of `piece` characters, with areas of `room`.
Decoded Decode(const std::vector<std::string>& chunks, size_t piece, size_t room = 280) {
  BinHexDecoder decoder(SharedDecodeTables().BinHexTable);
  std::vector<unsigned char> area(room);
  size_t used = 0;
  Decoded d;
  auto take = [&](BinHexStep step) {
    for (;;) {
      used += step.produced;
      if (!step.outputFull) return step.status;
      d.output.append(area.begin(), area.begin() + static_cast<long>(used));
      d.areas.push_back(std::exchange(used, 0));
      step = decoder.Resume(area.data(), room);
    }
  };
  for (const std::string& chunk : chunks) {
    for (size_t at = 0; at == 0 || at < chunk.size(); at += piece) {
      const std::string_view part = std::string_view(chunk).substr(at, piece);
      const bool ends = at + piece >= chunk.size();
      EXPECT_EQ(take(decoder.Decode(part, ends, area.data() + used, room - used)),
                CodecStatus::NeedMore);
    }
  }
  d.status = take(decoder.Finish(area.data() + used, room - used));
  d.output.append(area.begin(), area.begin() + static_cast<long>(used));
  d.output.resize(std::min<size_t>(d.output.size(), decoder.OutputLength()));
  return d;
}

// Bytes with runs (some longer than 255), markers and zeros.
std::string RunnyBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  const char picks[] = {'\x90', '\0', 'A', '\xff', '\x01'};
  std::string out;
  while (out.size() < size) {
    const char c = gen() % 2 ? picks[gen() % sizeof picks] : static_cast<char>(gen());
    out.append(gen() % 4 == 0 ? 1 + gen() % 600 : 1, c);
  }
  out.resize(size);
  return out;
}

// However the characters of a chunk are cut into pieces, the bytes, the
// areas handed on and the status are those of whole chunks.
TEST(BinHexDecoder, EveryPieceSizeGivesTheWholeChunksResult) {
  const std::string data = RunnyBytes(5000, 1);
  const std::string expanded = RunLength(Expanded("name", data, RunnyBytes(300, 2)));
  // Lines, and one long line.
  for (const auto& chunks : {Chunks(expanded), Chunks(expanded, SIZE_MAX)}) {
    for (size_t room : {255, 256, 300, 4480}) {
      const Decoded whole = Decode(chunks, SIZE_MAX, room);
      ASSERT_EQ(whole.output, data) << "room " << room;
      ASSERT_EQ(whole.status, CodecStatus::Done);
      std::vector<size_t> pieces = {1000, 5000};
      for (size_t piece = 1; piece <= 100; ++piece) pieces.push_back(piece);
      for (size_t piece : pieces) {
        const Decoded d = Decode(chunks, piece, room);
        EXPECT_EQ(d.output, whole.output) << "room " << room << ", pieces of " << piece;
        EXPECT_EQ(d.areas, whole.areas) << "room " << room << ", pieces of " << piece;
        EXPECT_EQ(d.status, whole.status);
      }
    }
  }
}

// What a caller sees of a decoding: the bytes, and for every area handed
// on its size and the chunk being decoded when it was handed on.
struct Handovers {
  std::string output;
  std::vector<std::pair<size_t, size_t>> areas;  // size, chunk
};

// Gives the chunks to the decoder `batch` at a time, each batch as one
// chunk, and accounts every area handed on to the chunk ChunkOfStop names.
Handovers DecodeBatches(const std::vector<std::string>& chunks, size_t batch, size_t room) {
  BinHexDecoder decoder(SharedDecodeTables().BinHexTable);
  std::vector<unsigned char> area(room);
  size_t used = 0;
  Handovers h;
  for (size_t first = 0; first < chunks.size(); first += batch) {
    std::string chars;
    std::vector<size_t> ends;
    for (size_t k = first; k < std::min(chunks.size(), first + batch); ++k) {
      chars += chunks[k];
      ends.push_back(chars.size());
    }
    BinHexStep step = decoder.Decode(chars, true, area.data() + used, room - used);
    size_t chunk = 0;
    for (;;) {
      used += step.produced;
      if (!step.outputFull) break;
      h.output.append(area.begin(), area.begin() + static_cast<long>(used));
      chunk = decoder.ChunkOfStop(ends.data(), ends.size(), chunk);
      h.areas.emplace_back(std::exchange(used, 0), first + chunk);
      step = decoder.Resume(area.data(), room);
    }
  }
  decoder.Finish(area.data() + used, room - used);
  h.output.append(area.begin(), area.begin() + static_cast<long>(used));
  return h;
}

// Chunks decoded together hand on the same areas as one by one, and each
// area is accounted to the chunk that handed it on one by one: for runs
// split at chunk ends, runs filling an area exactly, and item sequences no
// encoder writes (markers, zeros and counts in every order).
TEST(BinHexDecoder, ChunksDecodedTogetherStopInTheSameChunks) {
  std::mt19937 gen(7);
  std::string soup;
  const char symbols[] = {'\x90', '\0', '\x01', '\x02', '\x03', '\xff', 'A'};
  for (int i = 0; i < 6000; ++i)
    soup += gen() % 3 ? symbols[gen() % sizeof symbols] : static_cast<char>(gen());
  const std::string streams[] = {
      RunLength(Expanded("batch", RunnyBytes(9000, 5), RunnyBytes(400, 6))), soup};
  for (const std::string& bytes : streams) {
    // Lines of 64, and chunks of mixed lengths (multiples of four).
    std::vector<std::string> mixed;
    const std::vector<std::string> quads = Chunks(bytes, 4);
    for (size_t k = 0; k < quads.size();) {
      std::string chunk;
      for (size_t n = 1 + gen() % 20; n > 0 && k < quads.size(); --n) chunk += quads[k++];
      mixed.push_back(chunk);
    }
    for (const auto& chunks : {Chunks(bytes), mixed}) {
      for (size_t room : {255, 256, 280, 300, 4480}) {
        const Handovers alone = DecodeBatches(chunks, 1, room);
        for (size_t batch : {2, 3, 5, 16, 64, 100000}) {
          const Handovers together = DecodeBatches(chunks, batch, room);
          EXPECT_EQ(together.output, alone.output) << "room " << room << ", batch " << batch;
          EXPECT_EQ(together.areas, alone.areas) << "room " << room << ", batch " << batch;
        }
      }
    }
  }
}

// Check values and lengths that do not match, and sections cut short.
TEST(BinHexDecoder, DamageShowsInTheStatus) {
  const std::string data = RunnyBytes(900, 3);
  const std::string good = Expanded("damaged", data, "resource");
  const size_t header = 1 + 7 + 21;  // where the data fork begins
  auto flipped = [&](size_t at) {
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
  };
  struct Row {
    const char* what;
    std::string expanded;
    CodecStatus status;
    std::string output;  // a section cut short may end in up to two zeros
  };
  const std::vector<Row> rows = {
      {"intact", good, CodecStatus::Done, data},
      {"header check", flipped(header - 1), CodecStatus::ChecksWrong, data},
      {"data byte", flipped(header + 10), CodecStatus::ChecksWrong,
       flipped(header + 10).substr(header, data.size())},
      {"data check", flipped(header + data.size()), CodecStatus::ChecksWrong, data},
      {"resource check", flipped(good.size() - 1), CodecStatus::ChecksWrong, data},
      {"last check cut off", good.substr(0, good.size() - 1), CodecStatus::ChecksWrong, data},
      {"resource cut off", good.substr(0, good.size() - 6), CodecStatus::ChecksWrong, data},
      {"data cut off", good.substr(0, header + 500), CodecStatus::ChecksWrong, data.substr(0, 500)},
      {"header cut off", good.substr(0, header - 3), CodecStatus::ChecksWrong, ""},
      {"nothing", "", CodecStatus::ChecksWrong, ""},
  };
  for (const Row& row : rows) {
    for (size_t piece : {1, 3, 64, 1000}) {
      const Decoded d = Decode(Chunks(RunLength(row.expanded)), piece);
      EXPECT_EQ(d.status, row.status) << row.what << ", pieces of " << piece;
      EXPECT_EQ(d.output.substr(0, row.output.size()), row.output) << row.what << ", " << piece;
      EXPECT_LE(d.output.size(), row.output.size() + 2) << row.what << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace twick

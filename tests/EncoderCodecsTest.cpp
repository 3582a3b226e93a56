// Every encoder codec gives the same text however its input is split and
// however little output room each step has: the same text as one step.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/Base64Encoder.h"
#include "codecs/BtoaEncoder.h"
#include "codecs/UUEncoder.h"

namespace twick {
namespace {

struct Pieces {
  size_t chunk;     // input bytes per step
  size_t room = 0;  // output room per step; 0: what MaxOutput promises is enough
  bool flushLast = false;
};

/// The whole text of `codec` over `input` given in steps as `pieces` says.
template <class Codec>
std::string EncodeInPieces(Codec codec, std::string_view input, const Pieces& pieces) {
  std::string text = codec.Begin("t.bin");
  std::vector<char> buffer;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  for (size_t at = 0; at < input.size();) {
    const size_t n = std::min(pieces.chunk, input.size() - at);
    const size_t room = pieces.room != 0 ? pieces.room : Codec::MaxOutput(n);
    buffer.resize(room);
    const bool flush = pieces.flushLast && at + n == input.size();
    const EncodeStep step = codec.Encode(bytes + at, n, buffer.data(), room, flush);
    EXPECT_LE(step.produced, room);
    EXPECT_EQ(step.status, CodecStatus::NeedMore);
    // A step stops early only where the next line or word might not fit.
    if (step.consumed < n) {
      EXPECT_LT(room - step.produced, Codec::kMaxUnitOutput);
    }
    if (pieces.room == 0) {
      EXPECT_EQ(step.consumed, n) << "MaxOutput(" << n << ") was too small";
    }
    if (step.consumed == 0 && step.produced == 0) {
      ADD_FAILURE() << "a step with room " << room << " did nothing";
      break;
    }
    text.append(buffer.data(), step.produced);
    at += step.consumed;
  }
  buffer.resize(Codec::kMaxFinishOutput);
  const EncodeStep end = codec.Finish(buffer.data());
  EXPECT_EQ(end.status, CodecStatus::Done);
  text.append(buffer.data(), end.produced);
  return text + codec.EndLines();
}

using EncodeFn = std::function<std::string(std::string_view, const Pieces&)>;

struct CodecCase {
  const char* name;
  EncodeFn encode;
  size_t maxUnitOutput;
};

const CodecCase kCodecs[] = {
    {"Base64",
     [](std::string_view in, const Pieces& p) { return EncodeInPieces(Base64Encoder(), in, p); },
     Base64Encoder::kMaxUnitOutput},
    {"UU",
     [](std::string_view in, const Pieces& p) {
       return EncodeInPieces(UUEncoder(UUAlphabet, '`'), in, p);
     },
     UUEncoder::kMaxUnitOutput},
    {"XX",
     [](std::string_view in, const Pieces& p) {
       return EncodeInPieces(UUEncoder(XXAlphabet, '+'), in, p);
     },
     UUEncoder::kMaxUnitOutput},
    {"Btoa",
     [](std::string_view in, const Pieces& p) { return EncodeInPieces(BtoaEncoder(), in, p); },
     BtoaEncoder::kMaxUnitOutput},
};

/// Random bytes around the line, group and word sizes; zero words and runs
/// of zero bytes at and off word boundaries (btoa's "z").
std::vector<std::string> Inputs() {
  std::mt19937 random(17);
  auto randomBytes = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
  };
  std::vector<std::string> inputs;
  for (size_t n : {0, 1, 2, 3, 4, 5, 44, 45, 46, 57, 58, 59, 60, 61, 62, 63, 64, 90, 91, 4321})
    inputs.push_back(randomBytes(n));
  inputs.push_back(std::string(100, '\0'));
  inputs.push_back(std::string(7, '\0'));
  std::string mixed = randomBytes(3000);
  for (size_t at = 0; at + 4 <= mixed.size(); at += 4)
    if (random() % 4 == 0) mixed.replace(at, 4, 4, '\0');
  mixed.replace(1001, 600, 600, '\0');  // a run that starts inside a word
  inputs.push_back(mixed + std::string(3, '\0'));
  return inputs;
}

class EncoderCodecs : public ::testing::TestWithParam<CodecCase> {};

TEST_P(EncoderCodecs, EveryChunkSizeGivesTheOneStepText) {
  const CodecCase& codec = GetParam();
  for (const std::string& input : Inputs()) {
    const std::string whole = codec.encode(input, {input.size() + 1});
    std::vector<size_t> chunks;
    for (size_t chunk = 1; chunk <= 200; ++chunk) chunks.push_back(chunk);
    for (size_t chunk : {624, 997, 2025, 4096}) chunks.push_back(chunk);
    for (size_t chunk : chunks) {
      ASSERT_EQ(codec.encode(input, {chunk}), whole)
          << "input size " << input.size() << ", chunk " << chunk;
    }
    // A flush at the very end writes what Finish would have written.
    EXPECT_EQ(codec.encode(input, {45, 0, true}), whole) << "input size " << input.size();
  }
}

TEST_P(EncoderCodecs, LittleOutputRoomGivesTheSameText) {
  const CodecCase& codec = GetParam();
  const size_t unit = codec.maxUnitOutput;
  for (const std::string& input : Inputs()) {
    const std::string whole = codec.encode(input, {input.size() + 1});
    for (size_t room :
         {unit, unit + 1, 2 * unit - 1, size_t{100}, size_t{333}, size_t{801}, size_t{1580}})
      for (size_t chunk : {1, 7, 624, 100000})
        for (bool flushLast : {false, true})
          ASSERT_EQ(codec.encode(input, {chunk, room, flushLast}), whole)
              << "input size " << input.size() << ", chunk " << chunk << ", room " << room;
  }
}

TEST(EncoderCodecs, FlushWritesAShortLineOrWordThatLaterInputDoesNotJoin) {
  // The job flushes at a short block; what comes after starts afresh.
  const std::string abc = "abc";
  Base64Encoder base64;
  char out[256];
  auto step = base64.Encode(reinterpret_cast<const unsigned char*>(abc.data()), 1, out, 256, true);
  EXPECT_EQ(std::string(out, step.produced), "YQ==\r\n");
  step = base64.Encode(reinterpret_cast<const unsigned char*>(abc.data()), 3, out, 256, false);
  EXPECT_EQ(step.produced, 0u);  // held until the line is full or the text ends
  EXPECT_EQ(std::string(out, base64.Finish(out).produced), "YWJj\r\n");

  BtoaEncoder btoa;
  step = btoa.Encode(reinterpret_cast<const unsigned char*>("xyz"), 3, out, 256, true);
  EXPECT_EQ(std::string(out, step.produced), "G^4T8");
  EXPECT_EQ(std::string(out, btoa.Finish(out).produced), "\r\n");
  EXPECT_EQ(btoa.EndLines(), "xbtoa End N 3 3 E 7b S 16f R 698\r\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, EncoderCodecs, ::testing::ValuesIn(kCodecs),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace twick

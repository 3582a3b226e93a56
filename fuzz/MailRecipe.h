#pragma once
// Builds a mail of encoded sections with known payloads from a fuzzer's
// input: per section a format, a payload, a name of its own, LF or CR LF,
// and at most one kind of damage. The text is written with the program's
// own encoders; BinHex is left out, as the program writes no BinHex.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/Alphabets.h"
#include "codecs/Base64Encoder.h"
#include "codecs/BtoaEncoder.h"
#include "codecs/UUEncoder.h"

namespace twick::fuzz {

enum class Format { MimeBase64, BeginBase64, UU, XX, Btoa };

enum class Damage {
  None,
  DropEnd,  // the closing line(s) left out
  Junk,     // cut, part and prose lines between data lines
  Split,    // UU/XX: posted in parts with Subject and part lines, shuffled
};

struct PlannedSection {
  std::string name;
  std::string payload;
  Format format = Format::UU;
  Damage damage = Damage::None;
  /// The job must report this section (exit status 1) whatever it saves.
  bool mustBeReported = false;
  /// XX data whose first line is also UU data: which format it is cannot be
  /// told, so its bytes are not compared.
  bool ambiguous = false;
  /// A MIME part after a btoa section missing its end line: a boundary can
  /// be btoa data, so the btoa section may take the part in (reported).
  bool mayBeLost = false;
};

struct Mail {
  std::string text;
  std::vector<PlannedSection> sections;
};

/// The lines of a section without their line ends.
struct SectionLines {
  std::vector<std::string> head, data, end;
};

inline std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t next = text.find("\r\n", at);
    if (next == std::string::npos) next = text.size();
    lines.push_back(text.substr(at, next - at));
    at = next + 2;
  }
  return lines;
}

/// The body lines of `payload` in one encoder's format.
template <class Encoder>
std::vector<std::string> BodyLines(Encoder& encoder, const std::string& payload) {
  std::string out(Encoder::MaxOutput(payload.size()) + Encoder::kMaxFinishOutput, '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(payload.data());
  EncodeStep step = encoder.Encode(in, payload.size(), out.data(), out.size(), true);
  if (step.consumed != payload.size()) std::abort();
  size_t produced = step.produced;
  produced += encoder.Finish(out.data() + produced).produced;
  out.resize(produced);
  return SplitCrLf(out);
}

inline SectionLines Encode(const PlannedSection& s) {
  SectionLines lines;
  switch (s.format) {
    case Format::MimeBase64: {
      Base64Encoder encoder;
      // A part of a multipart body: its boundary, its header, a blank line.
      lines.head = SplitCrLf(encoder.Begin(s.name));
      lines.head.insert(lines.head.begin(), "--fuzz-boundary");
      lines.data = BodyLines(encoder, s.payload);
      lines.end = {""};  // the body ends at a blank line
      break;
    }
    case Format::BeginBase64: {
      Base64Encoder encoder;
      lines.head = {"begin-base64 644 " + s.name};
      lines.data = BodyLines(encoder, s.payload);
      lines.end = {"===="};
      break;
    }
    case Format::UU:
    case Format::XX: {
      const bool uu = s.format == Format::UU;
      UUEncoder encoder(uu ? UUAlphabet : XXAlphabet, uu ? '`' : '+');
      lines.head = SplitCrLf(encoder.Begin(s.name));
      lines.data = BodyLines(encoder, s.payload);
      lines.end = SplitCrLf(encoder.EndLines());
      break;
    }
    case Format::Btoa: {
      BtoaEncoder encoder;
      lines.head = SplitCrLf(encoder.Begin(s.name));
      lines.data = BodyLines(encoder, s.payload);
      lines.end = SplitCrLf(encoder.EndLines());
      break;
    }
  }
  return lines;
}

/// A line that is no data of any format: lower-case letters and a space
/// (outside the UU and XX alphabets, and no Base64 or btoa line).
inline std::string JunkLine(FuzzedDataProvider& in, const std::string& name) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return "--- cut here ---";
    case 1: return "Part 2 of 3";
    case 2:
      return "Part " + std::to_string(in.ConsumeIntegralInRange(1, 9)) + " of 9 of file " + name;
    default: {
      std::string words = "note:";
      for (int w = in.ConsumeIntegralInRange(1, 6); w > 0; --w) {
        words += ' ';
        for (int c = in.ConsumeIntegralInRange(1, 8); c > 0; --c)
          words += static_cast<char>('a' + in.ConsumeIntegralInRange(0, 25));
      }
      return words;
    }
  }
}

/// A UU/XX section posted in 2 to 4 parts, each under its Subject and part
/// line, in an order the input picks; one part may come twice.
inline std::vector<std::string> SplitPosting(FuzzedDataProvider& in, const PlannedSection& s,
                                             const SectionLines& lines) {
  std::vector<std::string> rows = lines.head;
  rows.insert(rows.end(), lines.data.begin(), lines.data.end());
  rows.insert(rows.end(), lines.end.begin(), lines.end.end());
  // Part 1 holds the begin line and data after it: a begin line alone is prose.
  const size_t parts = std::min<size_t>(rows.size() / 2, in.ConsumeIntegralInRange<size_t>(2, 4));
  const size_t per = (rows.size() + parts - 1) / parts;
  std::vector<size_t> order;
  for (size_t p = 0; p < parts; ++p) order.push_back(p);
  for (size_t p = parts; p > 1; --p)
    std::swap(order[p - 1], order[in.ConsumeIntegralInRange<size_t>(0, p - 1)]);
  if (in.ConsumeBool()) order.push_back(order[in.ConsumeIntegralInRange<size_t>(0, parts - 1)]);
  std::vector<std::string> out;
  const std::string of = std::to_string(parts);
  for (size_t p : order) {
    const std::string k = std::to_string(p + 1);
    out.insert(out.end(), {"Subject: " + s.name + " (" + k + "/" + of + ")", "",
                           "_=_ Part " + k + " of " + of + " of file " + s.name, ""});
    for (size_t r = p * per; r < std::min(rows.size(), (p + 1) * per); ++r) out.push_back(rows[r]);
    out.emplace_back();
  }
  return out;
}

/// True when every character of `line` is in the UU alphabet (or a space).
inline bool AllUU(const std::string& line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '_'; });
}

inline Mail BuildMail(FuzzedDataProvider& in) {
  Mail mail;
  const int count = in.ConsumeIntegralInRange(1, 6);
  bool multipart = false;
  for (int k = 0; k < count; ++k) {
    PlannedSection s;
    s.name = "f" + std::to_string(k) + ".bin";
    s.format = static_cast<Format>(in.ConsumeIntegralInRange(0, 4));
    s.damage = static_cast<Damage>(in.ConsumeIntegralInRange(0, 3));
    const bool crlf = in.ConsumeBool();
    const int separator = in.ConsumeIntegralInRange(0, 2);  // none, blank line, prose
    s.payload = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 4096));
    SectionLines lines = Encode(s);
    const bool uuxx = s.format == Format::UU || s.format == Format::XX;
    if (s.damage == Damage::Split && !uuxx) s.damage = Damage::None;
    if (s.damage == Damage::Junk && lines.data.size() < 2) s.damage = Damage::None;
    // A begin line with no data after it is prose, not a section.
    if ((s.damage == Damage::DropEnd || s.damage == Damage::Split) && uuxx && lines.data.empty())
      s.damage = Damage::None;
    s.ambiguous = s.format == Format::XX && !lines.data.empty() && AllUU(lines.data.front());
    std::vector<std::string> out;
    if (s.damage == Damage::Split) {
      out = SplitPosting(in, s, lines);
    } else {
      if (s.damage == Damage::DropEnd) lines.end.clear();
      if (s.damage == Damage::Junk) {
        for (int j = in.ConsumeIntegralInRange(1, 3); j > 0; --j) {
          const size_t at = in.ConsumeIntegralInRange<size_t>(1, lines.data.size() - 1);
          lines.data.insert(lines.data.begin() + static_cast<long>(at), JunkLine(in, s.name));
        }
      }
      out = lines.head;
      out.insert(out.end(), lines.data.begin(), lines.data.end());
      out.insert(out.end(), lines.end.begin(), lines.end.end());
    }
    // MIME parts follow one another in one multipart body, which ends at
    // its closing boundary: what lies between is body text.
    const bool mime = s.format == Format::MimeBase64;
    if (multipart && !mime) out.insert(out.begin(), "--fuzz-boundary--");
    multipart = mime;
    if (separator == 1 && !mime) out.emplace_back();
    if (separator == 2 && !mime) out.emplace_back("Some words between two sections.");
    for (const std::string& line : out) mail.text += line + (crlf ? "\r\n" : "\n");
    mail.sections.push_back(std::move(s));
  }
  if (multipart) mail.text += "--fuzz-boundary--\n";
  // A missing closing line must be reported where another section follows;
  // btoa's closing line holds its checks, so it must be reported anywhere.
  for (size_t k = 0; k < mail.sections.size(); ++k) {
    PlannedSection& s = mail.sections[k];
    if (s.damage != Damage::DropEnd || s.format == Format::MimeBase64) continue;
    s.mustBeReported = s.format == Format::Btoa || k + 1 < mail.sections.size();
    for (size_t next = k + 1; s.format == Format::Btoa && next < mail.sections.size() &&
                              mail.sections[next].format == Format::MimeBase64;
         ++next)
      mail.sections[next].mayBeLost = true;
  }
  return mail;
}

}  // namespace twick::fuzz

#include "ExprLayout.h"

#include <string>
#include <string_view>
#include <vector>

#include "Expr/OpCode.h"
#include "Expr/Tokens.h"
#include "Utility/DataBlobUtil.h"

namespace ExprLayout {

bool IsLeafCode(int code) {
  return code >= BaseToken::kSymbol && code <= BaseToken::kZirconNumber && code != BaseToken::kOpCode;
}

bool IsOperatorCode(int code) { return GetOpInfo(code) != nullptr; }

namespace {

[[noreturn]] void Fail(const uint8* base, const uint8* at, const std::string& what) {
  throw BlobDecodeError(what, static_cast<std::size_t>(at - base));
}

void Need(const uint8* base, const uint8* p, const uint8* end, std::size_t n, const char* what) {
  if (p > end || static_cast<std::size_t>(end - p) < n) {
    Fail(base, p,
         std::string(what) + " needs " + std::to_string(n) + " bytes, only " +
             std::to_string(p > end ? 0 : end - p) + " left");
  }
}

const char* LeafName(int code) {
  static const char* const names[] = {"symbol",  "qualified symbol", "object id",  "float",
                                      "integer", "string",           "operator",   "date",
                                      "time",    "timestamp",        "subquery",   "number"};
  return names[code];
}

// Length of a length-prefixed field (uint32 n then n bytes) at p.
std::size_t CountedLength(const uint8* base, const uint8* p, const uint8* end, const char* what) {
  Need(base, p, end, 4, what);
  const std::uint32_t n = ReadU32(p);
  if (n > static_cast<std::size_t>(end - p) - 4) {
    Fail(base, p,
         std::string(what) + " needs " + std::to_string(n) + " bytes, only " + std::to_string(end - p - 4) + " left");
  }
  return 4 + std::size_t{n};
}

// Payload length of a leaf at p (p points at the type code).
std::size_t LeafLength(const uint8* base, const uint8* p, const uint8* end, int code) {
  const uint8* q = p + kCodeBytes;
  switch (code) {
    case BaseToken::kSymbol:
    case BaseToken::kVXString:
    case BaseToken::kZirconNumber:
    case BaseToken::kSubquery:
    case BaseToken::kQualifiedSymbol:
      return kCodeBytes + CountedLength(base, q, end, LeafName(code));
    case BaseToken::kID:
    case BaseToken::kFloat:
      Need(base, q, end, 8, LeafName(code));
      return kCodeBytes + 8;
    case BaseToken::kInt:
      Need(base, q, end, 4, LeafName(code));
      return kCodeBytes + 4;
    case BaseToken::kVXDate:
      Need(base, q, end, kDateBytes, LeafName(code));
      return kCodeBytes + kDateBytes;
    case BaseToken::kVXTime:
      Need(base, q, end, kTimeBytes, LeafName(code));
      return kCodeBytes + kTimeBytes;
    case BaseToken::kVXDateTime:
      Need(base, q, end, kDateBytes + kTimeBytes, LeafName(code));
      return kCodeBytes + kDateBytes + kTimeBytes;
    default:
      Fail(base, p, "unknown token type code " + std::to_string(code));
  }
}

void CheckUtf8(const uint8* base, const uint8* field, const char* what) {
  const std::uint32_t n = ReadU32(field);
  if (!IsValidUtf8(std::string_view(reinterpret_cast<const char*>(field + 4), n))) {
    Fail(base, field, std::string(what) + " text is not valid UTF-8");
  }
}

// Content checks beyond the length, for a leaf already known to fit.
void CheckLeafContent(const uint8* base, const uint8* p, std::size_t len, int code) {
  const uint8* q = p + kCodeBytes;
  switch (code) {
    case BaseToken::kSymbol:
    case BaseToken::kVXString:
      CheckUtf8(base, q, LeafName(code));
      break;
    case BaseToken::kZirconNumber: {
      const std::string text(reinterpret_cast<const char*>(q + 4), ReadU32(q));
      if (!ZirconNumberToken::IsDecimalText(text)) Fail(base, q, "number text \"" + text + "\" is not decimal");
      break;
    }
    case BaseToken::kQualifiedSymbol: {
      // uint32 byte length, then uint32 count and the strings, filling it exactly.
      const uint8* end = p + len;
      const uint8* r = q + 4;
      Need(base, r, end, 4, "qualified symbol segment count");
      const std::uint32_t count = ReadU32(r);
      r += 4;
      if (count > static_cast<std::size_t>(end - r) / 4) Fail(base, r - 4, "qualified symbol segment count too large");
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t n = CountedLength(base, r, end, "qualified symbol segment");
        CheckUtf8(base, r, "qualified symbol segment");
        r += n;
      }
      if (r != end) Fail(base, r, "qualified symbol length disagrees with its segments");
      break;
    }
    case BaseToken::kVXDate:
      if (!DecodeDate(q).IsValid()) Fail(base, q, "invalid date");
      break;
    case BaseToken::kVXTime:
      if (!DecodeTime(q).IsValid()) Fail(base, q, "invalid time");
      break;
    case BaseToken::kVXDateTime:
      if (!DecodeDate(q).IsValid()) Fail(base, q, "invalid timestamp date");
      if (!DecodeTime(q + kDateBytes).IsValid()) Fail(base, q + kDateBytes, "invalid timestamp time");
      break;
    default:
      break;
  }
}


}  // namespace

bool FitsShape(char shape, int code) {
  switch (shape) {
    case 'I':
      return code == BaseToken::kInt;
    case 'D':
      return code == BaseToken::kID;
    case 'S':
      return code == BaseToken::kVXString || code == BaseToken::kSymbol;
    case 'T':
      return code == kDataType;
    default:
      return true;
  }
}

const char* ShapeName(char shape) {
  switch (shape) {
    case 'I':
      return "an integer";
    case 'D':
      return "an object id";
    case 'S':
      return "a string or symbol";
    case 'T':
      return "a data type";
    default:
      return "any token";
  }
}

std::size_t CheckedTokenLength(const uint8* base, const uint8* p, const uint8* end) {
  Need(base, p, end, kMinTokenBytes, "token");
  const int code = ReadCode(p);
  if (IsLeafCode(code)) return LeafLength(base, p, end, code);
  if (!IsOperatorCode(code)) Fail(base, p, "unknown token type code " + std::to_string(code));
  Need(base, p, end, kOpHeaderBytes, "operator header");
  const std::uint32_t operandBytes = ReadU32(p + 6);
  Need(base, p + kOpHeaderBytes, end, operandBytes, "operator operands");
  return kOpHeaderBytes + operandBytes;
}

std::size_t PrefixStep(const uint8* p) {
  const int code = ReadCode(p);
  if (code >= kFirstOpCode) return kOpHeaderBytes;
  switch (code) {
    case BaseToken::kSymbol:
    case BaseToken::kVXString:
    case BaseToken::kZirconNumber:
    case BaseToken::kSubquery:
    case BaseToken::kQualifiedSymbol:
      return kCodeBytes + 4 + ReadU32(p + kCodeBytes);
    case BaseToken::kID:
    case BaseToken::kFloat:
      return kCodeBytes + 8;
    case BaseToken::kInt:
      return kCodeBytes + 4;
    case BaseToken::kVXDate:
      return kCodeBytes + kDateBytes;
    case BaseToken::kVXTime:
      return kCodeBytes + kTimeBytes;
    default:
      return kCodeBytes + kDateBytes + kTimeBytes;
  }
}

ValidationResult Validate(const uint8* begin, const uint8* end) {
  ValidationResult result;
  if (begin == end) return result;

  struct Frame {
    const uint8* end;
    std::uint32_t remaining;
    std::uint32_t argIndex;
    const OpInfo* info;
  };
  std::vector<Frame> stack;
  const uint8* p = begin;
  for (;;) {
    const uint8* bound = stack.empty() ? end : stack.back().end;
    Need(begin, p, bound, kMinTokenBytes, "token");
    const int code = ReadCode(p);
    if (!stack.empty()) {
      const Frame& parent = stack.back();
      const std::string_view shape = parent.info->shape;
      if (parent.argIndex < shape.size() && !FitsShape(shape[parent.argIndex], code)) {
        Fail(begin, p,
             "operand " + std::to_string(parent.argIndex + 1) + " of " + std::string(parent.info->name) +
                 " must be " + ShapeName(shape[parent.argIndex]) + ", found type code " + std::to_string(code));
      }
    }
    ++result.tokenCount;
    if (IsLeafCode(code)) {
      const std::size_t len = LeafLength(begin, p, bound, code);
      CheckLeafContent(begin, p, len, code);
      p += len;
      result.depth = std::max(result.depth, stack.size() + 1);
    } else {
      const OpInfo* info = GetOpInfo(code);
      if (info == nullptr) Fail(begin, p, "unknown token type code " + std::to_string(code));
      Need(begin, p, bound, kOpHeaderBytes, "operator header");
      const std::uint32_t count = ReadU32(p + 2);
      const std::uint32_t operandBytes = ReadU32(p + 6);
      const uint8* body = p + kOpHeaderBytes;
      if (operandBytes > static_cast<std::size_t>(bound - body)) {
        Fail(begin, p + 6,
             std::string(info->name) + " claims " + std::to_string(operandBytes) + " operand bytes, only " +
                 std::to_string(bound - body) + " left");
      }
      if (static_cast<std::int64_t>(count) < info->minArgs ||
          (info->maxArgs >= 0 && static_cast<std::int64_t>(count) > info->maxArgs)) {
        Fail(begin, p + 2, std::string(info->name) + " cannot take " + std::to_string(count) + " operands");
      }
      if (count > operandBytes / kMinTokenBytes) {
        Fail(begin, p + 2,
             std::string(info->name) + " claims " + std::to_string(count) + " operands in " +
                 std::to_string(operandBytes) + " bytes");
      }
      p = body;
      if (count > 0) {
        stack.push_back(Frame{body + operandBytes, count, 0, info});
        continue;
      }
      if (operandBytes != 0) Fail(begin, p - 4, std::string(info->name) + " has no operands but claims bytes");
      result.depth = std::max(result.depth, stack.size() + 1);
    }
    // A token is complete: close every operator whose last operand it was.
    for (;;) {
      if (stack.empty()) {
        if (p != end) Fail(begin, p, "bytes left over after the root token");
        return result;
      }
      Frame& top = stack.back();
      ++top.argIndex;
      if (--top.remaining > 0) {
        if (p >= top.end) {
          Fail(begin, p,
               std::string(top.info->name) + " ends before its operand " + std::to_string(top.argIndex + 1));
        }
        break;
      }
      if (p != top.end) Fail(begin, p, std::string(top.info->name) + " operand bytes disagree with its operands");
      stack.pop_back();
    }
  }
}

void PutDate(ByteVector& out, const VXDate& d) {
  PutU32(out, static_cast<std::uint32_t>(d.GetYear()));
  out.push_back(static_cast<uint8>(d.GetMonth()));
  out.push_back(static_cast<uint8>(d.GetDay()));
}

void PutTime(ByteVector& out, const VXTime& t) {
  out.push_back(static_cast<uint8>(t.GetHour()));
  out.push_back(static_cast<uint8>(t.GetMinute()));
  out.push_back(static_cast<uint8>(t.GetSecond()));
  PutU32(out, t.GetNanosecond());
}

VXDate DecodeDate(const uint8* p) { return VXDate(static_cast<std::int32_t>(ReadU32(p)), p[4], p[5]); }
VXTime DecodeTime(const uint8* p) { return VXTime(p[0], p[1], p[2], ReadU32(p + 3)); }

}  // namespace ExprLayout

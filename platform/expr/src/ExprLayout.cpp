#include "ExprLayout.h"

#include <string>
#include <string_view>
#include <vector>

#include "Expr/OpCode.h"
#include "Expr/OpExpr.h"
#include "Expr/Tokens.h"
#include "Utility/DataBlobUtil.h"

namespace ExprLayout {

bool IsLeafCode(int code) {
  return code >= BaseToken::kSymbol && code <= BaseToken::kZirconNumber && code != BaseToken::kOpCode;
}

namespace {

[[noreturn]] void Fail(const uint8* base, const uint8* at, const std::string& what) {
  throw BlobDecodeError(what, static_cast<std::size_t>(at - base));
}

void Need(const uint8* base, const uint8* p, const uint8* end, std::size_t n, const char* what) {
  if (p > end || static_cast<std::size_t>(end - p) < n) {
    Fail(base, p,
         std::string(what) + " needs " + std::to_string(n) + " bytes, only " + std::to_string(p > end ? 0 : end - p) +
             " left");
  }
}

const char* LeafName(int code) {
  static const char* const names[] = {"symbol",  "qualified symbol", "object id", "float",
                                      "integer", "string",           "operator",  "date",
                                      "time",    "timestamp",        "subquery",  "number"};
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

namespace {

// Token length of a token already checked to lie inside the expression.
std::size_t TokenLength(const uint8* p) {
  return ReadCode(p) >= kFirstOpCode ? kOpHeaderBytes + ReadU32(p + 6) : PrefixStep(p);
}

bool IsIntToken(const uint8* p) { return ReadCode(p) == BaseToken::kInt; }
std::int32_t IntValue(const uint8* p) { return static_cast<std::int32_t>(ReadU32(p + kCodeBytes)); }

bool IsIntervalKind(std::int32_t v) {
  switch (v) {
    case Par_YEAR:
    case Par_MONTH:
    case Par_DAY:
    case Par_HOUR:
    case Par_MINUTE:
    case Par_SECOND:
    case Par_FRACSECOND:
    case Par_WEEK:
    case Par_QUARTER:
      return true;
    default:
      return false;
  }
}

// Data types that have an SQL form: every code of the enumeration but uint4
// (12), money (15), interval (22, written by its own operator), object (23)
// and boolean (24).
bool IsSqlDataType(std::int32_t v) { return v >= 0 && v <= 25 && v != 12 && v != 15 && (v < 22 || v > 24); }

bool IsBinReturnKind(std::int32_t v) { return v >= OpExprBin::kNUMBER && v <= OpExprBin::kRANGE_HIGH; }

// The parameters that operators keep in their integer operands: codes from
// fixed tables and counts of the operands that follow. The structure is
// already checked; a parameter outside its table is as corrupt as a
// truncated token, and a well-formed expression never carries one.
void CheckParameters(const uint8* begin, const uint8* end) {
  std::vector<const uint8*> args;
  for (const uint8* p = begin; p < end; p += PrefixStep(p)) {
    const int code = ReadCode(p);
    if (code < kFirstOpCode) continue;
    const std::uint32_t count = ReadU32(p + 2);
    args.clear();
    for (const uint8* q = p + kOpHeaderBytes; args.size() < count; q += TokenLength(q)) args.push_back(q);
    const OpInfo& info = *GetOpInfo(code);
    auto require = [&](bool ok, const uint8* at, const std::string& what) {
      if (!ok) Fail(begin, at, std::string(info.name) + ": " + what);
    };
    switch (code) {
      case kDataType:
        require(IsSqlDataType(IntValue(args[0])), args[0],
                "data type code " + std::to_string(IntValue(args[0])) + " has no SQL form");
        break;
      case kTruth:
        require(IntValue(args[1]) >= Par_TRUE && IntValue(args[1]) <= Par_NOTUNKNOWN, args[1], "unknown truth value");
        break;
      case kTimeStampAdd:
      case kTimeStampDiff:
        require(IsIntervalKind(IntValue(args[0])), args[0], "unknown interval kind");
        break;
      case kMultiRank: {
        const std::int64_t columns = IntValue(args[0]);
        const std::int64_t partitions = IntValue(args[1]);
        require(columns >= 0 && partitions >= 0 && 2 + 2 * columns + partitions == count, args[0],
                "column and partition counts disagree with the operand count");
        for (std::int64_t i = 0; i < columns; ++i) {
          const uint8* direction = args[static_cast<std::size_t>(3 + 2 * i)];
          require(IsIntToken(direction), direction, "a sort direction must be an integer");
        }
        break;
      }
      case kIsAncestorList:
      case kIsDescendantList: {
        // After the count: the member, the listed members, at most a distance.
        const std::int64_t members = static_cast<std::uint32_t>(IntValue(args[0]));
        require(members + 2 <= count && count <= members + 3, args[0], "member count disagrees with the operand count");
        break;
      }
      case kBin:
        // Operand 4 the integer 0: an attribute, which stops after its
        // where-clause; otherwise the bucketing operands must all be there.
        if (IsIntToken(args[3]) && IntValue(args[3]) == 0) break;
        require(count == 7, p + 2, "bins need seven operands");
        require(IsIntToken(args[4]) &&
                    (IntValue(args[4]) == BinningEnum::kEQUIDEPTH || IntValue(args[4]) == BinningEnum::kEQUIWIDTH),
                args[4], "unknown bucketing strategy");
        require(IsIntToken(args[6]) && IsBinReturnKind(IntValue(args[6])), args[6], "unknown return kind");
        break;
      case kWidthBucket:
        require(IsBinReturnKind(IntValue(args[1])), args[1], "unknown return kind");
        break;
      default:
        break;
    }
  }
}

}  // namespace

ValidationResult Validate(const uint8* begin, const uint8* end) {
  const ValidationResult result = ValidateStructure(begin, end);
  CheckParameters(begin, end);
  return result;
}

ValidationResult ValidateStructure(const uint8* begin, const uint8* end) {
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
             "operand " + std::to_string(parent.argIndex + 1) + " of " + std::string(parent.info->name) + " must be " +
                 ShapeName(shape[parent.argIndex]) + ", found type code " + std::to_string(code));
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
          Fail(begin, p, std::string(top.info->name) + " ends before its operand " + std::to_string(top.argIndex + 1));
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

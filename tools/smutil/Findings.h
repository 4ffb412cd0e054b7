// Consistency findings as files: the JSON that check --format json writes
// and site --messages reads, and the SARIF log of check --format sarif.
// Both are written one finding at a time, so a run of a million findings
// needs no more memory than the findings themselves.
//
//   WriteFindingsJson(out, found);
//   std::vector<ConsistencyMessage> again;
//   std::string error;
//   if (!ReadFindingsJson(rp, "findings.json", again, error)) ... error ...
//
// The JSON is an array of
//   {"messageId": 38009, "severity": "error", "check": "logical-column-unmapped",
//    "object": {"id": "2006:7", ...}, "objects": [{"id": "2006:7", ...}], "text": "..."}
// (objects as ObjectJson writes them). The reader takes an object's id
// either from such an object or as a plain string ("2006:7"); it needs
// "object" and "messageId", builds the text from "objects" when the
// message has a recipe for them, and otherwise keeps "text" as given.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "Metadata/ConsistencyMessage.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// "error", "warning", "bestpractice" or "unknown".
const char* SeverityName(ConsistencyMessageType type);
// The id of the check a finding came from; "check-failed" for a check that
// threw.
std::string CheckIdOf(const ConsistencyMessage& m);

void WriteFindingsJson(std::ostream& out, const std::vector<ConsistencyMessage>& found);

// Reads the text of a findings file against rp; file names it in errors.
// False with error naming the file and the finding (by number, from 1)
// that is wrong.
bool ReadFindingsJson(ARpGateway* rp, const std::string& file, const std::string& text,
                      std::vector<ConsistencyMessage>& found, std::string& error);

// The SARIF 2.1.0 log of the findings of repoPath, whose text (the bytes
// the repository was loaded from) places each finding on its object's
// element.
void WriteFindingsSarif(std::ostream& out, const std::vector<ConsistencyMessage>& found, const std::string& repoPath,
                        std::string_view repoText);

// The file URI of a page of the tool's reference (docs/NAME): the
// installed copy when there is one, else the source tree's.
std::string DocumentationUri(const std::string& name);

}  // namespace smutil_tool

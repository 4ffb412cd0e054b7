#include "Utility/ErrorMessage.h"

#include "Utility/SUStrUtil.h"

VXString ErrorMessage::GetText() const { return SUStrUtil::LoadMsgString(m_messageNumber, m_args); }

const char* ErrorMessage::what() const noexcept {
  return m_narrowText.empty() ? "error message (text not loaded)" : m_narrowText.c_str();
}

void SUGThrow(const char* file, int line, const ErrorMessage& message) {
  ErrorMessage raised = message;
  raised.m_file = file ? file : "";
  raised.m_line = line;
  try {
    raised.m_narrowText = ToNarrow(raised.GetText());
  } catch (const std::exception& e) {
    // The catalogue itself is broken: keep the number, the arguments and why.
    raised.m_narrowText =
        "[" + std::to_string(raised.m_messageNumber) + "] (message text unavailable: " + e.what() + ")";
    for (const VXString& a : raised.m_args) raised.m_narrowText += " " + ToNarrow(a);
  }
  throw raised;
}

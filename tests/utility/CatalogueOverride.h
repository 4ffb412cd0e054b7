// Installs a catalogue parsed from text for one test and puts the default
// back afterwards.
#pragma once

#include <memory>
#include <string_view>

#include "Utility/MessageCatalogue.h"
#include "Utility/SUStrUtil.h"

struct CatalogueOverride {
  explicit CatalogueOverride(std::string_view text) {
    SUStrUtil::SetMessageCatalogue(std::make_shared<const MessageCatalogue>(MessageCatalogue::Parse(text, "test")));
  }
  ~CatalogueOverride() { SUStrUtil::SetMessageCatalogue(nullptr); }
};

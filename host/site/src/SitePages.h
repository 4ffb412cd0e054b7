// The HTML of the site's pages: one object's page (with its continuation
// pages for long child lists and its picture), and the shared page frame.
#pragma once

#include <string>
#include <unordered_set>

#include "Site/SiteWriter.h"
#include "SiteFiles.h"
#include "SiteGraphs.h"
#include "SitePaths.h"

namespace smutil_site {

struct SiteContext {
  ARpGateway* rp;
  const SiteOptions& options;
  SitePaths paths;
  GraphRenderer graphs;
  FileSink& sink;
  SearchIndex search;
  SiteReport& report;
  // Logical columns whose lineage picture is written already.
  std::unordered_set<VoidID, VoidIDHash> lineagePictures;
};

// "<!DOCTYPE html>...<body><nav>" for the page at pagePath; the caller
// appends the body and then PageEnd.
void PageStart(std::string& out, const std::string& pagePath, const std::string& titleHtml);
void PageEnd(std::string& out);

// Writes obj's page (and continuation pages and picture) when it has one.
void WriteObjectPage(SiteContext& ctx, const Ref<ARpObject>& obj);

// The lineage picture of a logical column, at its page path with ".svg";
// written once per run. Empty when the column reaches no physical column.
std::string LineagePicture(SiteContext& ctx, const Ref<ARpObject>& logicalColumn);

}  // namespace smutil_site

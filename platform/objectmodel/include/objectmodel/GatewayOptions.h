// GatewayOptions: what a connection to a data source is opened with, as far
// as the repository decides it: the connection scripts of its pool, after
// personalization for the user who connects.
//
//   GatewayOptions options;
//   MetadataUtil::Personalize(pRp, pool, options);
//   for (const VXString& sql : options.m_postConnectStrings) ...
#pragma once

#include "Utility/VXString.h"

struct GatewayOptions {
  // Run once after connecting.
  VXStringVector m_postConnectStrings;
  // Run once before disconnecting.
  VXStringVector m_preDisconnectStrings;
  // Run before and after each query on the connection.
  VXStringVector m_beforeQueryStrings;
  VXStringVector m_afterQueryStrings;
};

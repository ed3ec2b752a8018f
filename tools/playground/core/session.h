#pragma once
// The page's core plays the plug-in on the stand-in's session, under the page's names.

#include "sim/runners/session.h"

namespace playground {

using sim::readIniFile;
using sim::Session;

}  // namespace playground

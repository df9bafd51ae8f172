#pragma once
// The record navigator of the window's lists: the data-aware navigator
// (first, prior, next, last; the window's code knows it by this name).
#include "app/data_controls/db_navigator.h"

namespace fendra {

using TDbNavigator = TDBNavigator;

}  // namespace fendra

#pragma once
// Who owns a page or changes a structure. A page's OwnerID is the TableID of
// the table it belongs to, or one of the database's own structures below;
// the system session is the session that changes database-wide structures.
#include <cstdint>

namespace dvx {

constexpr int32_t kOwnerNone = -1;
constexpr int32_t kOwnerSystemDirectory = -2;
constexpr int32_t kOwnerActiveSessions = -3;
constexpr int32_t kOwnerTableList = -4;
constexpr int32_t kOwnerFreeSpace = -5;

constexpr int32_t kSystemSessionID = -2;

}  // namespace dvx

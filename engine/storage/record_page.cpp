#include "engine/storage/record_page.h"

#include "engine/core/exception.h"
#include "engine/storage/record_errors.h"

namespace dvx {

TDVXRecordPageLayout TDVXRecordPageLayout::For(int recordSize, int dataSize) {
  TDVXRecordPageLayout layout;
  layout.recordSize = recordSize;
  layout.dataSize = dataSize;
  if (recordSize <= 0 || recordSize > (dataSize - 1) / 2) {
    layout.large = true;
    if (recordSize <= 0)
      throw EDVXException(kErrRecordsPerPage,
                          "Error calculating records per page. RecordsPerPage = %d, DiskRecordBufferSize = %d, "
                          "PageDataSize = %d",
                          {0, recordSize, dataSize});
    return layout;
  }
  int count = dataSize / recordSize;
  while (count > 1 && (count + 7) / 8 + static_cast<int64_t>(count) * recordSize > dataSize) --count;
  if (count <= 1)
    throw EDVXException(kErrRecordsPerPage,
                        "Error calculating records per page. RecordsPerPage = %d, DiskRecordBufferSize = %d, "
                        "PageDataSize = %d",
                        {count, recordSize, dataSize});
  layout.recordsPerPage = count;
  layout.bitmapSize = (count + 7) / 8;
  return layout;
}

}  // namespace dvx

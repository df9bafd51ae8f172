#include "engine/sql/expr_node_blob_function.h"

#include <vector>

#include "engine/core/exception.h"
#include "engine/sql/blob_text_codec.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"

namespace dvx {

TDVXExprNodeBLOBFunction::TDVXExprNodeBLOBFunction(const std::string& text, TFormat format)
    : TDVXExprNode(nkToBlob, bftBlob) {
  std::vector<uint8_t> bytes;
  bool valid = format == fmtHex ? DecodeHex(text, bytes) : DecodeBase64(text, bytes);
  if (!valid)
    throw EDVXException(kErrToBlobDecode, "Error - cannot convert BLOB value \"%s\", format = %d",
                        {text, static_cast<int>(format)});
  result_.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, bftBlob);
}

const TDVXVariant& TDVXExprNodeBLOBFunction::Evaluate() {
  if (kind_ != nkToBlob) UnknownOperator(kErrBlobFunctionOperator);
  return result_;
}

int TDVXExprNodeBLOBFunction::GetDataType() { return aftBlob; }

}  // namespace dvx

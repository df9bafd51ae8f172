#pragma once
// TDVXAOUnion: UNION, INTERSECT and EXCEPT of two query results (both
// materialized, each a SELECT's result or another set operation).
//
// Columns are paired by the CORRESPONDING BY names, by equal names
// (CORRESPONDING), or by position; positional pairing of results with
// different column counts is an error naming both counts. A result column
// has the left column's name, the two types' common type and the larger
// size.
//
// UNION gives the left rows, then the right ones; INTERSECT the left rows
// found in the right result, EXCEPT those not found. Rows are compared
// column by column with two NULLs equal. Without ALL the result holds each
// row once, ordered by its columns.
#include <memory>
#include <vector>

#include "engine/query/ao.h"
#include "engine/sql/expression.h"

namespace dvx {

enum TDVXUnionKind : int { ukUnion = 0, ukIntersect = 1, ukExcept = 2 };

class TDVXAOUnion : public TDVXAO {
 public:
  TDVXAOUnion(int kind, std::unique_ptr<TDVXAO> left, std::unique_ptr<TDVXAO> right, bool distinct,
              bool corresponding, std::vector<TDVXFieldReference> correspondingBy);
  ~TDVXAOUnion() override;

  void Open() override;

 protected:
  void DoRewind() override {}
  bool DoNextRow() override { return false; }
  void DoGetValue(int, TDVXVariant&) override {}
  void ReleaseInputs() override;

 private:
  int kind_;
  std::unique_ptr<TDVXAO> left_;
  std::unique_ptr<TDVXAO> right_;
  bool distinct_;
  bool corresponding_;
  std::vector<TDVXFieldReference> correspondingBy_;
};

}  // namespace dvx

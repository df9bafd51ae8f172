#pragma once
// TDVXAOJoin: a join of two inputs. Its fields are the left input's
// followed by the right input's.
//
// Kinds: CROSS, INNER, LEFT, RIGHT, FULL. The driving side is read row by
// row (the right input of a RIGHT join, else the left); the other side is
// read once into rows kept in the order it gave them, keyed by the join
// fields. For each driving row the rows with equal key values (never a key
// with a NULL) that also satisfy the match condition are returned in turn;
// an outer join returns a driving row without any such partner once, the
// other side's fields NULL; a FULL join finally returns the other side's
// rows that matched nothing, the driving side's fields NULL.
//
// The match condition is what the ON condition says beyond the join
// fields: it decides only which rows match, so an outer join keeps every
// row of its preserved side whatever it says. The filter (WHERE terms
// pushed down, and the ON remainder of an inner join) is tested on the
// joined rows.
#include <map>
#include <memory>
#include <vector>

#include "engine/query/ao.h"
#include "engine/sql/expression.h"

namespace dvx {

class TDVXAOJoin : public TDVXAO {
 public:
  TDVXAOJoin(int joinKind, std::unique_ptr<TDVXAO> left, std::unique_ptr<TDVXAO> right);
  ~TDVXAOJoin() override;

  int JoinKind() const { return kind_; }
  TDVXAO& Left() { return *left_; }
  TDVXAO& Right() { return *right_; }
  // The join fields as references of each side; checked at Open (10330
  // unequal lengths, 10331/10332 a reference that names no single field of
  // the join, 10333 none for a join that needs them, 10334 both of one
  // side). With `natural` the pairs are the fields of equal names.
  void SetJoinFields(std::vector<TDVXFieldReference> leftFields, std::vector<TDVXFieldReference> rightFields,
                     bool natural);
  // The ON condition's remainder (outer joins), evaluated on each pair.
  void SetMatchCondition(std::unique_ptr<TDVXExpression> condition) { match_ = std::move(condition); }

  void Open() override;
  std::vector<TDVXExprOperator*> ConditionInputs() override;

 protected:
  void DoRewind() override;
  bool DoNextRow() override;
  void DoGetValue(int fieldNo, TDVXVariant& value) override;
  void ReleaseInputs() override;
  std::unique_ptr<TDVXAOReadScope> ReadingScope() override;

 private:
  struct TKeyLess {
    bool operator()(const TDVXRow& a, const TDVXRow& b) const;
  };
  void ResolvePairs();
  bool Matches();
  bool DrivingIsLeft() const { return drivingLeft_; }
  // Chooses the sides, and whether the probed side is a table whose index
  // on a join field is walked for each driving row instead of reading it
  // whole.
  void ChooseSides();
  bool NextCandidate();

  int kind_;
  bool drivingLeft_ = true;
  class TDVXAOTable* probedTable_ = nullptr;
  std::string probeIndex_;
  size_t probePair_ = 0;
  std::unique_ptr<TDVXAO> left_;
  std::unique_ptr<TDVXAO> right_;
  std::vector<TDVXFieldReference> leftRefs_, rightRefs_;
  bool natural_ = false;
  std::unique_ptr<TDVXExpression> match_;

  // Field numbers of the join pairs in each input, and in the driving and
  // the probed input.
  std::vector<int> leftKeys_, rightKeys_;
  std::vector<int> drivingKeys_, probedKeys_;
  // The probed side's rows, borrowed from it while it lives.
  const std::vector<TDVXRow>* probedRows_ = nullptr;
  std::multimap<TDVXRow, size_t, TKeyLess> index_;
  std::vector<bool> probedMatched_;
  // Iteration state.
  TDVXRow drivingKey_;
  std::vector<size_t> candidates_;
  size_t candidate_ = 0;
  bool drivingValid_ = false;
  bool drivingMatched_ = false;
  bool drivingNull_ = false;
  bool probedNull_ = false;
  size_t probedRow_ = 0;
  bool tail_ = false;
  size_t tailRow_ = 0;
};

}  // namespace dvx

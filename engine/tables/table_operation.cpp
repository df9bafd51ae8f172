#include "engine/tables/table_operation.h"

#include "engine/core/exception.h"
#include "engine/tables/transaction.h"

namespace dvx {

TDVXOperationScope::TDVXOperationScope(TDVXLocalSession& session)
    : session_(session), outermost_(session.Operation().depth == 0) {
  if (outermost_) {
    if (TDVXTransaction* transaction = session_.Transaction()) transaction->CheckNotBroken();
    if (!session_.Operation().leftover.empty()) DropLeftover();
    session_.Operation().tables.clear();
    work_ = std::make_unique<TDVXUnitOfWork>(session_.PageManager(), session_.SessionID(), session_.Transaction());
    session_.Operation().work = work_.get();
  }
  ++session_.Operation().depth;
}

TDVXOperationScope::~TDVXOperationScope() {
  if (outermost_ && work_->Open()) {
    try {
      work_->Abort();
    } catch (const EDVXException&) {
      // A refused savepoint rollback broke the transaction already; pages
      // left outside one are cancelled before the next operation.
      if (!session_.InTransaction()) session_.Operation().leftover = work_->LastFailure();
    }
  }
  --session_.Operation().depth;
  if (outermost_) {
    session_.Operation().tables.clear();
    session_.Operation().work = nullptr;
    // Only now may the tables the operation reached be released.
    session_.Operation().cursors.clear();
  }
}

void TDVXOperationScope::DropLeftover() {
  const std::string cause = session_.Operation().leftover;
  try {
    session_.PageManager().CancelChanges(session_.SessionID());
  } catch (const EDVXException& e) {
    throw EDVXException(kErrLeftoverChanges,
                        "Error - the changes of a failed operation could not be undone: %s (before: %s)",
                        {e.Message(), cause});
  }
  session_.Operation().leftover.clear();
}

void TDVXOperationScope::Touch(TDVXTableData& table) {
  auto& tables = session_.Operation().tables;
  for (auto& [t, state] : tables)
    if (t == &table) return;
  if (TDVXTransaction* transaction = session_.Transaction()) transaction->Enroll(table);
  const TDVXTableState state = table.TakeState();
  tables.emplace_back(&table, state);
  // The table's state is durable with the pages its indexes live in.
  session_.Operation().work->OnUndo(table.IndexPageManager(), [&table, state] {
    table.PutState(state);
    table.Refresh();
  });
}

void TDVXOperationScope::Complete() {
  if (!outermost_) return;
  const int32_t id = session_.SessionID();
  const bool inTransaction = session_.InTransaction();
  auto& tables = session_.Operation().tables;
  for (auto& [table, state] : tables)
    if (!(table->TakeState() == state)) table->SaveState(id);
  try {
    work_->Commit();
  } catch (const EDVXException&) {
    // The commit undid what it could; pages it could not cancel wait for
    // the next operation.
    if (!inTransaction && session_.PageManager().HasChanges(id)) session_.Operation().leftover = work_->LastFailure();
    throw;
  }
  if (!inTransaction)
    for (auto& [table, state] : tables) table->NoteOwnCommit();
}

}  // namespace dvx

#include "engine/tables/table_operation.h"

#include "engine/tables/transaction.h"

namespace dvx {

TDVXOperationScope::TDVXOperationScope(TDVXLocalSession& session)
    : session_(session), outermost_(session.Operation().depth == 0) {
  if (outermost_) {
    session_.Operation().tables.clear();
    if (session_.InTransaction()) session_.PageManager().BeginSavepoint(session_.SessionID());
  }
  ++session_.Operation().depth;
}

TDVXOperationScope::~TDVXOperationScope() {
  if (outermost_ && !completed_) Abort();
  --session_.Operation().depth;
  // Only now may the tables the operation reached be released.
  if (outermost_) session_.Operation().cursors.clear();
}

void TDVXOperationScope::Touch(TDVXTableData& table) {
  auto& tables = session_.Operation().tables;
  for (auto& [t, state] : tables)
    if (t == &table) return;
  if (TDVXTransaction* transaction = session_.Transaction()) transaction->Enroll(table);
  tables.emplace_back(&table, table.TakeState());
}

void TDVXOperationScope::Complete() {
  if (!outermost_) return;
  const int32_t id = session_.SessionID();
  for (auto& [table, state] : session_.Operation().tables)
    if (!(table->TakeState() == state)) table->SaveState(id);
  if (session_.InTransaction()) {
    session_.PageManager().ReleaseSavepoint(id);
  } else {
    session_.PageManager().ApplyChanges(id);
    for (auto& [table, state] : session_.Operation().tables) table->NoteOwnCommit();
  }
  // Tables whose indexes live in pages of their own (memory and temporary
  // tables) commit those too; their databases have no transactions.
  for (auto& [table, state] : session_.Operation().tables)
    if (&table->IndexPageManager() != &session_.PageManager()) table->IndexPageManager().ApplyChanges(id);
  completed_ = true;
}

void TDVXOperationScope::Abort() noexcept {
  const int32_t id = session_.SessionID();
  TDVXPageManager& pm = session_.PageManager();
  try {
    if (session_.InTransaction())
      pm.RollbackToSavepoint(id);
    else
      pm.CancelChanges(id);
  } catch (...) {
    // The pages could not all be put back (a page still held, a failing
    // free): the change set is dropped whole rather than left half undone.
    try {
      pm.CancelChanges(id);
    } catch (...) {
    }
  }
  for (auto& [table, state] : session_.Operation().tables) {
    try {
      if (&table->IndexPageManager() != &pm) table->IndexPageManager().CancelChanges(id);
    } catch (...) {
    }
    try {
      table->PutState(state);
      table->Refresh();
    } catch (...) {
    }
  }
  session_.Operation().tables.clear();
}

}  // namespace dvx

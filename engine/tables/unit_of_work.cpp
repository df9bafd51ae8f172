#include "engine/tables/unit_of_work.h"

#include <exception>

#include "engine/core/exception.h"
#include "engine/tables/transaction.h"

namespace dvx {

namespace {

// The exception in flight, for a report that goes on.
TDVXUnitOfWork::TFailure CurrentFailure() {
  try {
    throw;
  } catch (const EDVXException& e) {
    return {e.NativeError(), e.Message()};
  } catch (const std::exception& e) {
    return {0, e.what()};
  } catch (...) {
    return {0, "Unknown error"};
  }
}

}  // namespace

TDVXUnitOfWork::TDVXUnitOfWork(TDVXPageManager& database, int32_t session, TDVXTransaction* transaction)
    : database_(database), session_(session), transaction_(transaction) {
  steps_.push_back({&database_});
  if (transaction_) database_.BeginSavepoint(session_);
}

TDVXUnitOfWork::~TDVXUnitOfWork() {
  if (done_) return;
  try {
    Abort();
  } catch (const std::exception&) {
    // Abort kept the failure in failure_ (and broke a transaction whose
    // savepoint stayed); the owner reads LastFailure.
  }
}

TDVXUnitOfWork::TStep* TDVXUnitOfWork::Find(TDVXPageManager& pages) {
  for (TStep& step : steps_)
    if (step.pages == &pages) return &step;
  return nullptr;
}

void TDVXUnitOfWork::Enlist(TDVXPageManager& pages) {
  if (Find(pages)) return;
  // Before the database's step, after the tables' enlisted so far.
  steps_.insert(steps_.end() - 1, TStep{&pages});
}

void TDVXUnitOfWork::OnUndo(TDVXPageManager& heldBy, std::function<void()> undo) {
  Enlist(heldBy);
  undo_.push_back({&heldBy, std::move(undo)});
}

bool TDVXUnitOfWork::DatabaseCommitted() const { return steps_.back().committed; }

std::string TDVXUnitOfWork::Join(const std::vector<TFailure>& failures) {
  std::string text;
  for (const TFailure& f : failures) text += (text.empty() ? "" : "; then: ") + f.message;
  return text;
}

void TDVXUnitOfWork::Commit(bool flush) {
  if (done_) return;
  done_ = true;
  std::vector<TFailure> failures;
  bool undo = false;
  for (TStep& step : steps_) {
    const bool savepoint = transaction_ && step.pages == &database_;
    try {
      if (savepoint)
        database_.ReleaseSavepoint(session_);
      else
        step.pages->ApplyChanges(session_);
      step.committed = true;
    } catch (...) {
      failures.push_back(CurrentFailure());
      // A change set the page manager dropped is one whose commit held.
      step.committed = !savepoint && !step.pages->HasChanges(session_);
      if (!step.committed) {
        undo = true;
        break;
      }
    }
  }
  if (undo) {
    Undo(failures);
  } else if (flush && !transaction_) {
    try {
      database_.FlushBuffers();
    } catch (...) {
      failures.push_back(CurrentFailure());
    }
  }
  failure_ = Join(failures);
  if (!failures.empty()) throw EDVXException(failures.front().code, failure_);
}

void TDVXUnitOfWork::Abort() {
  if (done_) return;
  done_ = true;
  std::vector<TFailure> failures;
  Undo(failures);
  failure_ = Join(failures);
  if (!failures.empty()) throw EDVXException(failures.front().code, failure_);
}

void TDVXUnitOfWork::Undo(std::vector<TFailure>& failures) noexcept {
  for (TStep& step : steps_) {
    if (step.committed) continue;
    try {
      if (transaction_ && step.pages == &database_)
        database_.RollbackToSavepoint(session_);
      else
        step.pages->CancelChanges(session_);
    } catch (...) {
      failures.push_back(CurrentFailure());
      // The savepoint stays with the transaction's change set, which is
      // the transaction's to roll back whole.
      if (transaction_ && step.pages == &database_) transaction_->Break(failures.back().message);
    }
  }
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
    const TStep* step = Find(*it->heldBy);
    if (step && step->committed) continue;
    try {
      it->undo();
    } catch (...) {
      failures.push_back(CurrentFailure());
    }
  }
}

}  // namespace dvx

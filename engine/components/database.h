#pragma once
// TDVXDatabase: a database component. It names a database for datasets
// (DatabaseName), says where its file is (DatabaseFileName) and how to open
// it, and while connected owns one engine handle, a local engine session on
// the file, which datasets open their cursors on.
//
// States: disconnected ──Open──▶ connected ──Close──▶ disconnected.
// It connects on Connected := true, on first use by a dataset (through its
// session's AcquireDatabase), or after loading when the design said so; it
// disconnects on Connected := false, when the last dataset releases it and
// it keeps no connection, when its session stops, or when it goes.
//
// Invariants:
//  1. Connected() exactly when a handle is held; the handle is connected.
//  2. A handle is shared by the component that made it and the components
//     that borrowed it (HandleShared); it lives until the last of them lets
//     go, so a lender that disconnects first leaves its borrowers working.
//  3. Every registered dataset is closed before the handle is let go, the
//     last registered first.
//  4. DatabaseName, DatabaseFileName and SessionName never change while
//     connected (the file name disconnects first, the others refuse).
//  5. A release that reaches the component while it disconnects only
//     counts one user less.
//
// The handle's file is DatabaseFileName as given, resolved against the
// process's current directory when it has no directory; without a file
// name the DatabaseName itself names it, which is how a temporary
// component made for "MEMORY" or "TEMP" reaches the in-memory and the
// temporary database.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/backup_params_editor.h"
#include "engine/components/component.h"
#include "engine/components/connection_params_editor.h"
#include "engine/components/crypto_params_editor.h"
#include "engine/components/database_client.h"
#include "engine/components/lock_params_editor.h"
#include "engine/components/options_editor.h"
#include "engine/components/progress_operations.h"
#include "engine/components/session_member.h"
#include "engine/core/platform/critical_section.h"
#include "engine/tables/database_registry.h"
#include "engine/values/variant.h"

namespace dvx {

class TDVXLocalSession;
class TDVXSession;

class TDVXDatabase : public TComponent, public TDVXSessionMember {
 public:
  static constexpr double kDefaultFormatVersion = 4.2;
  static constexpr const char* kDatabaseNamePrefix = "DovrentixDB_";

  // Joins the session of its owner when the owner is a session, else the
  // DefaultSession; 31242 after the registry's shut-down.
  explicit TDVXDatabase(TComponent* owner = nullptr);
  // Disconnects, frees the sub-objects (wiping the secrets) and leaves the
  // session.
  ~TDVXDatabase() override;

  // The open file's format version; 4.2 while disconnected. Writing is
  // ignored: the engine decides the format.
  double FormatVersion();
  void SetFormatVersion(double) {}
  bool LocalDatabase() const { return localDatabase_; }
  void SetLocalDatabase(bool value) { localDatabase_ = value; }

  bool Connected() const;
  // While loading only remembered, acted on in Loaded().
  void SetConnected(bool value);
  void Open();
  void Close();

  const std::string& DatabaseName() const { return databaseName_; }
  // "Cannot perform this operation on an open database" while connected or
  // when another component of the session has the name (an unused
  // temporary one is freed instead; two sharing components may share it).
  void SetDatabaseName(const std::string& name);
  const std::string& DatabaseFileName() const { return databaseFileName_; }
  // Disconnects first.
  void SetDatabaseFileName(const std::string& fileName);
  const std::string& SessionName() const { return sessionName_; }
  // "Cannot perform this operation on an open database" while connected;
  // otherwise the component moves to the named session when it exists.
  void SetSessionName(const std::string& name) override;
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool value) { exclusive_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool KeepConnection() const { return keepConnection_; }
  void SetKeepConnection(bool value) { keepConnection_ = value; }
  bool HandleShared() const { return handleShared_; }
  void SetHandleShared(bool value) { handleShared_ = value; }

  TDVXBackupParamsEditor& BackupParams() { return backupParams_; }
  TDVXConnectionParamsEditor& ConnectionParams() { return connectionParams_; }
  TDVXLockParamsEditor& LockParams() { return lockParams_; }
  TDVXOptionsEditor& Options() { return options_; }
  TDVXCryptoParamsEditor& CryptoParams() { return cryptoParams_; }

  // The engine handle, null while disconnected.
  TDVXLocalSession* Handle() { return handle_.get(); }
  // The session the component belongs to; null when none of its name exists.
  TDVXSession* Session() const { return session_; }
  // Made by a session for a dataset's request.
  bool Temporary() const { return temporary_; }
  bool HandleBorrowed() const { return borrowed_; }
  // The datasets holding the database through the session.
  int ReferenceCount() const { return referenceCount_; }

  // Datasets open on the database; disconnecting calls CloseForDisconnect
  // on each, last registered first.
  void RegisterClient(TDVXDatabaseClient& client);
  void UnregisterClient(TDVXDatabaseClient& client);
  size_t ClientCount();

  // Engine services: "Database is not opened" while disconnected, except
  // these two. DatabaseExists asks a handle made for the question when
  // disconnected; TableExists connects for the question and disconnects
  // again. The table name is UTF-8 (object_names.h).
  bool DatabaseExists();
  bool TableExists(const std::string& tableName);
  void StartTransaction();
  bool InTransaction();
  void Commit(bool flush = true);
  void Rollback();

  // The parameters a handle of this component is made with.
  TDVXDatabaseParams HandleParams() const;

  // --- events ---
  std::function<void(TDVXDatabase&)> BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  // Raised by the datasets around their record changes; `abort` refuses it.
  using TRecordEvent = std::function<void(TDVXDatabase& sender, TComponent& dataset, const std::string& tableName,
                                          const std::vector<TDVXVariant>& values, bool& abort)>;
  using TUpdateRecordEvent = std::function<void(TDVXDatabase& sender, TComponent& dataset, const std::string& tableName,
                                                const std::vector<TDVXVariant>& oldValues,
                                                const std::vector<TDVXVariant>& newValues, bool& abort)>;
  TRecordEvent BeforeInsertRecord, AfterInsertRecord, BeforeDeleteRecord, AfterDeleteRecord;
  TUpdateRecordEvent BeforeUpdateRecord, AfterUpdateRecord;
  // Raised by the query component around running its SQL text; `abort`
  // in the before-event refuses it.
  using TBeforeExecuteSQLEvent = std::function<void(TDVXDatabase& sender, const std::string& sql, bool& abort)>;
  using TExecuteSQLEvent = std::function<void(TDVXDatabase& sender, const std::string& sql)>;
  TBeforeExecuteSQLEvent BeforeExecuteSQL;
  TExecuteSQLEvent AfterExecuteSQL;
  TDVXDatabaseProgress OnProgress;
  TDVXTableProgress OnTableProgress;
  // Notifications of a database server; a local database raises none.
  std::function<void(TDVXDatabase& sender, const std::string& text)> OnReceiveTextMessage;
  std::function<void(TDVXDatabase& sender, const std::vector<uint8_t>& data)> OnReceiveBinaryMessage;
  std::function<void(TDVXDatabase& sender, const std::vector<uint8_t>& stream)> OnReceiveStreamMessage;
  std::function<void(TDVXDatabase& sender, int32_t nativeError, const std::string& message)> OnError;
  std::function<void(TDVXDatabase&)> BeforeServerShutdown, AfterServerShutdown, BeforeConnectionLost,
      AfterConnectionLost;
  // --- end of events ---

 protected:
  void Loaded() override;

 private:
  friend class TDVXSession;

  // Joins the session of that name (leaving the current one), after its
  // check of the DatabaseName; nothing when none exists.
  void BindToSession(TDVXSession* session);
  // The component of the session the handle can be borrowed from.
  TDVXDatabase* FindLender(TDVXSession& session);
  std::shared_ptr<TDVXLocalSession> MakeHandle();
  // Stores what the open file really has: read-only fallback, page size,
  // extent size, session count, algorithm and mode.
  void TakeBackSettings(TDVXLocalSession& handle);
  void CheckConnected();
  void CloseClients(std::exception_ptr& failure);

  std::shared_ptr<TDVXLocalSession> handle_;
  TDVXSession* session_ = nullptr;
  std::vector<TDVXDatabaseClient*> clients_;
  int referenceCount_ = 0;
  bool temporary_ = false;
  bool borrowed_ = false;
  bool streamedConnected_ = false;
  // Set while Close runs: a dataset it closes releases the database
  // through the session, which must then neither disconnect it again nor
  // free it (the component may be on its way out already).
  bool closing_ = false;
  TDVXCriticalSection lock_;

  bool localDatabase_ = true;
  std::string databaseFileName_;
  std::string databaseName_;
  bool exclusive_ = true;
  bool readOnly_ = false;
  bool handleShared_ = false;
  bool keepConnection_ = true;
  std::string sessionName_;
  TDVXBackupParamsEditor backupParams_;
  TDVXConnectionParamsEditor connectionParams_;
  TDVXLockParamsEditor lockParams_;
  TDVXOptionsEditor options_;
  TDVXCryptoParamsEditor cryptoParams_;
};

}  // namespace dvx

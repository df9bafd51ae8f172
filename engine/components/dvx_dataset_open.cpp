// TDVXDataSet: properties, open and close, and the definitions taken from
// the open cursor.
#include <charconv>
#include <cstring>

#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/dataset_errors.h"
#include "engine/components/dataset_list.h"
#include "engine/components/dvx_dataset.h"
#include "engine/components/object_names.h"
#include "engine/components/session.h"
#include "engine/components/session_list.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/core/version.h"
#include "engine/schema/field_def.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"

namespace dvx {

namespace {

// The one "%s" of a message filled in.
std::string FillName(const char* format, const std::string& name) {
  std::string text = format;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

// The host size of a field definition: characters of strings, bytes of
// BYTES/VARBYTES, nothing for the others.
int HostSize(const TDVXFieldDef& field) {
  const int base = field.BaseFieldType();
  if (IsFixedStringType(base) || base == bftBytes || base == bftVarBytes) return field.FieldSize();
  return 0;
}

}  // namespace

TDVXDataSet::TDVXDataSet(TComponent* owner) : TDataSet(owner) {
  auto ownChange = [this] {
    if (!fillingDefs_) storeDefs_ = true;
  };
  FieldDefs().SetOnChange(ownChange);
  IndexDefs().SetOnChange(ownChange);
  TDVXDataSetList::Instance().Add(*this);
}

TDVXDataSet::~TDVXDataSet() {
  try {
    Close();
  } catch (const std::exception& e) {
    // A destructor cannot pass the failure on; the application's error
    // handler hears of it.
    HandleException(e);
  }
  TDVXDataSetList::Instance().Remove(*this);
}

std::string TDVXDataSet::CurrentVersion() {
  char text[32];
  // to_chars never looks at the locale.
  auto [end, ec] = std::to_chars(text, text + sizeof text, kEngineVersion, std::chars_format::fixed, 2);
  (void)ec;
  return std::string(text, end) + " ";
}

void TDVXDataSet::CheckDatabaseClosed() const {
  if (cursor_ || database_) Fail(kMsgDataSetDatabaseOpen);
}

void TDVXDataSet::SetDatabaseName(const std::string& name) {
  CheckDatabaseClosed();
  databaseName_ = name;
  inMemory_ = AnsiUpperCase(name) == kInMemoryDatabaseName;
}

void TDVXDataSet::SetSessionName(const std::string& name) {
  CheckDatabaseClosed();
  sessionName_ = name;
}

void TDVXDataSet::SetInMemory(bool inMemory) {
  if (inMemory == inMemory_) return;
  if (inMemory) {
    SetDatabaseName(kInMemoryDatabaseName);
  } else {
    CheckDatabaseClosed();
    inMemory_ = false;
  }
}

void TDVXDataSet::SetReadOnly(bool readOnly) {
  CheckInactive();
  readOnly_ = readOnly;
}

void TDVXDataSet::Fail(const std::string& message) const { DatabaseError(message, this); }

TDVXLocalCursor& TDVXDataSet::CheckHandle(int32_t code) const {
  if (!cursor_) throw EDVXException(code, kMsgNilPointer);
  return *cursor_;
}

TDVXLocalSession* TDVXDataSet::EngineSession() const { return database_ ? database_->Handle() : nullptr; }

std::string TDVXDataSet::EventTableName() const {
  if (cursor_ && !cursor_->TableName().empty()) return HostName(cursor_->TableName());
  return kUnknownTableName;
}

int TDVXDataSet::TableFieldNo(const TField& field) const {
  return tableFieldNos_.at(static_cast<size_t>(field.FieldNo() - 1));
}

void TDVXDataSet::AcquireDatabase() {
  TDVXSession& session = TDVXSessionList::Instance().GetSession(sessionName_);
  std::string reason;
  TDVXDatabase* database = session.AcquireDatabase(databaseName_, Owner(), &reason);
  if (!database) {
    std::string message = FillName(kMsgDataSetCannotOpenDatabase, databaseName_);
    if (!reason.empty()) message += " - " + reason;
    Fail(message);
  }
  database_ = database;
  database_->RegisterClient(*this);
  registered_ = true;
}

void TDVXDataSet::ReleaseDatabase() noexcept {
  if (!database_) return;
  TDVXDatabase* database = database_;
  database_ = nullptr;
  if (registered_) {
    registered_ = false;
    database->UnregisterClient(*this);
    try {
      if (TDVXSession* session = database->Session()) session->ReleaseDatabase(database);
    } catch (const std::exception& e) {
      HandleException(e);
    }
  }
}

void TDVXDataSet::CloseForDisconnect() {
  // The database is going: it resets its users itself, so the dataset
  // only leaves it instead of releasing it.
  if (database_ && registered_) {
    registered_ = false;
    database_->UnregisterClient(*this);
  }
  Close();
  database_ = nullptr;
}

void TDVXDataSet::InternalOpen() {
  try {
    AcquireDatabase();
    cursor_ = CreateHandle();
    if (!cursor_) throw EDVXException(kErrCreateTableHandle, kMsgCreateTableHandle);
    if (!cursor_->IsOpen()) cursor_->Open();
    recordSize_ = cursor_->Table().RecordSize();
    if (recordSize_ + kDataSetBookmarkSize > 0xFFFF)
      throw EDVXException(kErrRecordTooLarge, kMsgRecordTooLarge,
                          {HostName(cursor_->TableName()), recordSize_ + kDataSetBookmarkSize, 0xFFFF});
    InitFieldDefs();
    InitIndexFieldMap();
    CreateFields();
    calcFieldsSize_ = CalcFieldsSize();
    filterBuffer_.assign(static_cast<size_t>(BufferSize()), 0);
    cursor_->SetObserver(this);
    if (Filtered()) ApplyFilterToCursor(true);
    PrepareCursor();
  } catch (...) {
    if (cursor_) {
      cursor_->SetObserver(nullptr);
      cursor_.reset();
    }
    DestroyFields();
    ReleaseDatabase();
    ClearDefinitions();
    throw;
  }
}

void TDVXDataSet::InternalClose() {
  if (cursor_) {
    UnprepareCursor();
    cursor_->SetObserver(nullptr);
  }
  editCopy_.clear();
  oldValues_.clear();
  newValues_.clear();
  DestroyFields();
  std::exception_ptr failure;
  if (cursor_) {
    try {
      cursor_->Close();
    } catch (...) {
      failure = std::current_exception();
    }
    cursor_.reset();
  }
  ReleaseDatabase();
  ClearDefinitions();
  tableChangePending_ = false;
  if (failure) std::rethrow_exception(failure);
}

namespace {

class TFillingDefs {
 public:
  explicit TFillingDefs(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~TFillingDefs() { flag_ = was_; }
  TFillingDefs(const TFillingDefs&) = delete;
  TFillingDefs& operator=(const TFillingDefs&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

void TDVXDataSet::ClearDefinitions() {
  // Definitions the component keeps as its own outlive the open table;
  // the others only described it.
  if (!storeDefs_) {
    TFillingDefs filling(fillingDefs_);
    FieldDefs().Clear();
    IndexDefs().Clear();
  }
  tableFieldNos_.clear();
  indexFieldNos_.clear();
  keySize_ = 0;
  advFieldDefs_.clear();
  foreignKeyDefs_.clear();
  recordSize_ = 0;
  calcFieldsSize_ = 0;
  filterBuffer_.clear();
}

void TDVXDataSet::InitFieldDefs() {
  TDVXTableData& table = cursor_->Table();
  const TDVXFieldDefs& fields = table.Fields();
  const TDVXConstraintDefs& constraints = table.ConstraintManager().ConstraintDefs();
  TFillingDefs filling(fillingDefs_);
  FieldDefs().Clear();
  tableFieldNos_.clear();
  advFieldDefs_.clear();
  for (int i = 0; i < cursor_->VisibleFieldCount(); ++i) {
    const int tableFieldNo = cursor_->VisibleFieldNo(i);
    const TDVXFieldDef& field = *fields.Items(tableFieldNo);
    TDVXAdvFieldDef adv = MakeAdvFieldDef(field, HostName(cursor_->VisibleFieldName(i)), constraints);
    const TFieldType hostType = AdvancedToComponentType(field.AdvancedFieldType());
    // An autoincrement field gets its value from the engine, so the
    // framework must not ask the user for it.
    const bool required = adv.required && !IsAutoincType(field.AdvancedFieldType());
    TFieldDef& def = FieldDefs().Add(adv.name, hostType, HostSize(field), required);
    def.SetWideMemo(field.AdvancedFieldType() == aftWideMemo);
    tableFieldNos_.push_back(tableFieldNo);
    advFieldDefs_.push_back(std::move(adv));
  }
  foreignKeyDefs_ = MakeForeignKeyDefs(constraints);
  IndexDefs().Clear();
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  for (int i = 0; i < indexes.Count(); ++i) {
    const TDVXIndexDef& index = *static_cast<const TDVXIndexDef*>(indexes.Item(i));
    std::string names, desc, caseIns;
    for (const TDVXIndexColumn& column : index.Columns()) {
      const std::string name = HostName(column.fieldName);
      names += (names.empty() ? "" : ";") + name;
      if (column.descending) desc += (desc.empty() ? "" : ";") + name;
      if (column.caseInsensitive) caseIns += (caseIns.empty() ? "" : ";") + name;
    }
    TIndexOptions options;
    options.primary = index.Primary();
    options.unique = index.Unique() || index.Primary();
    TIndexDef& def = IndexDefs().Add(HostName(index.ObjectName()), names, options);
    def.SetDescFields(desc);
    def.SetCaseInsFields(caseIns);
  }
}

void TDVXDataSet::InitIndexFieldMap() {
  indexFieldNos_.clear();
  keySize_ = 0;
  const std::string name = ActiveIndexName();
  if (name.empty()) return;
  TDVXTableData& table = cursor_->Table();
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  const int at = indexes.FindByName(name);
  if (at < 0) throw EDVXException(kErrFindIndex, kMsgFindIndex, {HostName(name)});
  const TDVXIndexDef& index = *static_cast<const TDVXIndexDef*>(indexes.Item(at));
  const TDVXFieldDefs& fields = table.Fields();
  for (const TDVXIndexColumn& column : index.Columns()) {
    const int tableFieldNo = fields.FindByName(column.fieldName);
    if (tableFieldNo < 0) throw EDVXException(kErrFindIndex, kMsgFindIndex, {HostName(name)});
    // A column whose field the cursor does not show keeps its place with
    // -1, so that column i stays index field i.
    int fieldNo = -1;
    for (size_t i = 0; i < tableFieldNos_.size(); ++i)
      if (tableFieldNos_[i] == tableFieldNo) fieldNo = static_cast<int>(i);
    indexFieldNos_.push_back(fieldNo);
    keySize_ += fields.Items(tableFieldNo)->MemoryDataSize();
  }
}

}  // namespace dvx

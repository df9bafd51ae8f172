#pragma once
// The data module: the window's twenty data components (eight databases,
// eight tables, four queries) and their data sources, owned apart from any
// widget. The program builds it at start and hands it to the main window,
// which activates it while it is created; the sheets bind to its data
// sources by name. Tests build one on a directory of their own.
//
// The designs below are the components' design-time settings; the database
// files are looked up in the module's directory, by default the process's
// current directory. The module makes the eight database components, the
// eight table components and the seven data sources from them when it is
// built, and registers their activations: a database connects, a table or
// query opens (connecting its database first when that has not come yet).
// The four read-only tree queries open with their design-time parameter
// value; the indication tree reopens them with others.
#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include "app/data_components.h"

namespace dvx {
class TDataSource;
class TDVXDatabase;
class TDVXQuery;
class TDVXTable;
}  // namespace dvx

namespace fendra {

struct TDatabaseDesign {
  std::string_view Component;         // dbGrdlg, ...
  std::string_view DatabaseName;      // the name tables and queries refer to
  std::string_view DatabaseFileName;  // no directory: relative to the module's
  int MaxSessionCount;
};

struct TTableDesign {
  std::string_view Component;        // tbGrdlg, ...
  std::string_view DatabaseName;
  std::string_view TableName;
  std::string_view IndexName;        // empty: IndexFieldNames or the table's default order
  std::string_view IndexFieldNames;  // empty unless the table is ordered by field names
  std::string_view DataSource;       // empty: shown in no control
  bool SourceAutoEdit = true;        // the data source starts editing on a control's first change
};

struct TQueryDesign {
  std::string_view Component;  // Query1 .. Query4
  std::string_view DatabaseName;
  std::string_view SQL;        // lines joined with "\n", blanks exactly as designed
  int Zuid;                    // design-time value of the integer parameter zuid
};

class TDataModule {
 public:
  static constexpr size_t kDatabaseCount = 8;
  static constexpr size_t kTableCount = 8;
  static constexpr size_t kQueryCount = 4;

  // `directory` holds the database files; empty means the current directory.
  explicit TDataModule(std::filesystem::path directory = {});
  ~TDataModule();
  TDataModule(const TDataModule&) = delete;
  TDataModule& operator=(const TDataModule&) = delete;

  const std::filesystem::path& Directory() const { return directory_; }
  // The file of the database with this DatabaseName, in the module's
  // directory. Unknown names throw std::invalid_argument.
  std::filesystem::path DatabaseFilePath(std::string_view databaseName) const;

  static const std::array<TDatabaseDesign, kDatabaseCount>& Databases();
  static const std::array<TTableDesign, kTableCount>& Tables();
  static const std::array<TQueryDesign, kQueryCount>& Queries();

  // Look-ups by component, database or data source name; a name the design
  // does not declare throws std::invalid_argument.
  static const TDatabaseDesign& Database(std::string_view component);
  static const TDatabaseDesign& DatabaseNamed(std::string_view databaseName);
  static const TTableDesign& Table(std::string_view component);
  static const TQueryDesign& Query(std::string_view component);
  static const TTableDesign& TableOfDataSource(std::string_view dataSource);

  // The components by their component names (dbGrdlg, tbGrdlg, dsGrdlg,
  // ...); a name the design does not declare throws std::invalid_argument.
  dvx::TDVXDatabase& DatabaseComponent(std::string_view component) const;
  dvx::TDVXTable& TableComponent(std::string_view component) const;
  dvx::TDataSource& DataSource(std::string_view dataSource) const;
  dvx::TDVXQuery& QueryComponent(std::string_view component) const;

  // How each component activates, run in declaration order by Activate().
  TDataComponents& Components() { return components_; }
  const TDataComponents& Components() const { return components_; }
  // Activates the components in declaration order; the first error passes
  // to the caller and ends start-up.
  void Activate() { components_.ActivateAll(); }

 private:
  void MakeDatabase(size_t index);
  void MakeTable(size_t index);
  void MakeQuery(size_t index);

  std::filesystem::path directory_;
  // Freed in reverse: the queries close, the data sources leave their
  // tables, the tables close, then the databases disconnect.
  std::array<std::unique_ptr<dvx::TDVXDatabase>, kDatabaseCount> databases_;
  std::array<std::unique_ptr<dvx::TDVXTable>, kTableCount> tables_;
  std::array<std::unique_ptr<dvx::TDataSource>, kTableCount> sources_;  // null: no data source
  std::array<std::unique_ptr<dvx::TDVXQuery>, kQueryCount> queries_;
  TDataComponents components_;
};

}  // namespace fendra

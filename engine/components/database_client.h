#pragma once
// TDVXDatabaseClient: what a database component knows of a dataset open on
// it. A dataset registers while it holds its database; disconnecting the
// database closes every registered dataset, the last registered first.
namespace dvx {

class TDVXDatabaseClient {
 public:
  // Closes the dataset because its database goes away. Called while the
  // dataset is registered; the dataset unregisters itself in doing so.
  virtual void CloseForDisconnect() = 0;

 protected:
  ~TDVXDatabaseClient() = default;
};

}  // namespace dvx

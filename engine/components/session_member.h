#pragma once
// TDVXSessionMember: a component that names its session by SessionName
// (database components and datasets). A session with AutoSessionName hands
// its generated name to every member on the same owner through it.
#include <string>

namespace dvx {

class TDVXSessionMember {
 public:
  virtual void SetSessionName(const std::string& name) = 0;

 protected:
  ~TDVXSessionMember() = default;
};

}  // namespace dvx

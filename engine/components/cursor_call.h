#pragma once
// TCursorCall: counts the engine dataset's own calls into its cursor while
// one is under way, so that a change the cursor reports from inside one
// waits instead of re-reading the window under the framework's feet.
namespace dvx {

class TCursorCall {
 public:
  explicit TCursorCall(int& depth) : depth_(depth) { ++depth_; }
  ~TCursorCall() { --depth_; }
  TCursorCall(const TCursorCall&) = delete;
  TCursorCall& operator=(const TCursorCall&) = delete;

 private:
  int& depth_;
};

}  // namespace dvx

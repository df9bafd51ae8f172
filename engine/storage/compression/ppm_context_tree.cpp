// Growing the context tree after a symbol: the symbol is added to every
// context between MaxContext (where coding started) and MinContext (where
// it was found), the frequency of the symbol in the suffix of MinContext is
// raised, and the successor contexts of the next step are created from the
// raw text positions when they are first needed. Running out of model
// memory (or text area) starts the model afresh; both sides do so at the
// same symbol.
#include "engine/storage/compression/ppm_model.h"

namespace dvx {

namespace {
constexpr uint32_t kMaxSuccessorChain = 64;
}

// Creates the contexts that follow FoundState's symbol along the suffix
// chain of MinContext, down to the first suffix whose state for that symbol
// already leads to a real context; returns the longest one (0 when memory
// runs out). With `skip` FoundState itself gets no new successor.
uint32_t TPpmModel::CreateSuccessors(bool skip) {
  uint8_t* c = minContext_;
  const uint32_t upBranch = Successor(foundState_);
  const uint8_t symbol = Symbol(foundState_);
  uint8_t* pending[kMaxSuccessorChain];
  uint32_t numPending = 0;
  if (!skip) pending[numPending++] = foundState_;

  while (SuffixRef(c) != 0) {
    c = Ptr(SuffixRef(c));
    uint8_t* s = FindState(c, symbol);
    if (s == nullptr) return 0;  // breach of invariant 1
    const uint32_t successor = Successor(s);
    if (successor != upBranch) {
      if (successor <= alloc_.Text()) return 0;  // not a context: breach of the tree's shape
      c = Ptr(successor);
      if (numPending == 0) return successor;
      break;
    }
    if (numPending == kMaxSuccessorChain) return 0;
    pending[numPending++] = s;
  }

  // upBranch is a raw successor: the text position after the symbol, which
  // holds the symbol that followed it.
  if (upBranch < alloc_.TextStart() || upBranch >= alloc_.UnitsStart()) return 0;
  const uint8_t upSymbol = base_[upBranch];
  uint32_t upFreq;
  if (NumStats(c) == 1) {
    upFreq = Freq(OneState(c));
  } else {
    // Start the new contexts with the symbol's share of c, scaled to the
    // range of a binary context.
    uint8_t* s = FindState(c, upSymbol);
    if (s == nullptr) return 0;
    const uint32_t cf = Freq(s) - 1;
    uint32_t s0 = SummFreq(c) - NumStats(c) - cf;
    if (s0 == 0 || s0 > SummFreq(c)) s0 = 1;  // only when invariant 2 is broken
    upFreq = 1 + ((2 * cf <= s0) ? (5 * cf > s0 ? 1 : 0) : ((2 * cf + 3 * s0 - 1) / (2 * s0)));
  }

  do {
    const uint32_t child = alloc_.AllocContext();
    if (child == 0) return 0;
    uint8_t* c1 = Ptr(child);
    SetNumStats(c1, 1);
    uint8_t* one = OneState(c1);
    one[0] = upSymbol;
    SetFreq(one, upFreq);
    SetSuccessor(one, upBranch + 1);
    SetSuffixRef(c1, Ref(c));
    SetSuccessor(pending[--numPending], child);
    c = c1;
  } while (numPending != 0);
  return Ref(c);
}

void TPpmModel::UpdateModel() {
  const uint8_t symbol = Symbol(foundState_);
  const uint32_t foundFreq = Freq(foundState_);
  uint32_t foundSuccessor = Successor(foundState_);

  // The symbol is credited once more in the suffix of the context that
  // predicted it, while it is still rare there.
  if (foundFreq < kMaxFreq / 4 && SuffixRef(minContext_) != 0) {
    uint8_t* c = Ptr(SuffixRef(minContext_));
    if (NumStats(c) == 1) {
      uint8_t* s = OneState(c);
      if (Freq(s) < 32) SetFreq(s, Freq(s) + 1);
    } else if (uint8_t* s = FindState(c, symbol); s != nullptr) {
      if (s != Stats(c) && Freq(s) >= Freq(s - kStateSize)) {
        SwapStates(s, s - kStateSize);
        s -= kStateSize;
      }
      if (Freq(s) < kMaxFreq - 9) {
        SetFreq(s, Freq(s) + 2);
        SetSummFreq(c, SummFreq(c) + 2);
      }
    }
  }

  if (orderFall_ == 0) {
    // At the highest order: the next context is the successor itself.
    const uint32_t next = CreateSuccessors(true);
    if (next == 0) return Restart();
    minContext_ = maxContext_ = Ptr(next);
    SetSuccessor(foundState_, next);
    return;
  }

  if (!alloc_.PutText(symbol)) return Restart();
  uint32_t successor = alloc_.Text();
  if (foundSuccessor != 0) {
    if (foundSuccessor <= successor) {
      const uint32_t created = CreateSuccessors(false);
      if (created == 0) return Restart();
      foundSuccessor = created;
    }
    if (--orderFall_ == 0) {
      successor = foundSuccessor;
      if (maxContext_ != minContext_) alloc_.UnputText();
    }
  } else {
    SetSuccessor(foundState_, successor);
    foundSuccessor = Ref(minContext_);
  }

  // s0: the weight of the other symbols of MinContext. A binary context
  // keeps no total; its one state's frequency stands in for it, so a symbol
  // that was certain there starts strong in the new contexts.
  const uint32_t ns = NumStats(minContext_);
  const uint32_t minTotal = ns == 1 ? foundFreq : SummFreq(minContext_);
  const uint32_t s0 = minTotal - ns - (foundFreq - 1);

  uint32_t steps = 0;
  for (uint8_t* c = maxContext_; c != minContext_; c = Ptr(SuffixRef(c))) {
    if (++steps > kMaxSuccessorChain || SuffixRef(c) == 0) return Restart();  // MinContext not on the chain
    const uint32_t ns1 = NumStats(c);
    if (ns1 >= 256) return Restart();  // c cannot lack the symbol: breach of invariant 1
    if (ns1 != 1) {
      if ((ns1 & 1) == 0) {
        // The state block is full: one unit more.
        const uint32_t stats = alloc_.ExpandUnits(StatsRef(c), ns1 >> 1);
        if (stats == 0) return Restart();
        SetStatsRef(c, stats);
      }
      const uint32_t summ = SummFreq(c);
      SetSummFreq(c, summ + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (summ <= 8 * ns1)));
    } else {
      // A binary context gets a state block of its own.
      const uint32_t stats = alloc_.AllocUnits(0);
      if (stats == 0) return Restart();
      uint8_t* s = Ptr(stats);
      std::memcpy(s, OneState(c), kStateSize);
      SetStatsRef(c, stats);
      SetFreq(s, Freq(s) < kMaxFreq / 4 - 1 ? Freq(s) * 2 : kMaxFreq - 4);
      SetSummFreq(c, Freq(s) + initEsc_ + (ns > 3 ? 1 : 0));
    }
    // The new symbol's frequency: its weight in MinContext against the
    // weight of what c already knows.
    uint32_t cf = 2 * foundFreq * (SummFreq(c) + 6);
    const uint32_t sf = s0 + SummFreq(c);
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      SetSummFreq(c, SummFreq(c) + 3);
    } else {
      cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
      SetSummFreq(c, SummFreq(c) + cf);
    }
    uint8_t* s = Stats(c) + ns1 * kStateSize;
    s[0] = symbol;
    SetFreq(s, cf);
    SetSuccessor(s, successor);
    SetNumStats(c, ns1 + 1);
  }
  maxContext_ = minContext_ = Ptr(foundSuccessor);
}

}  // namespace dvx

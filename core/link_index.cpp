#include "core/link_index.h"

#include <cstring>

namespace vemtrix {

void LinkIndex::Reserve(std::size_t rows) {
  std::size_t slots = exact_.empty() ? 1024 : exact_.size();
  while (slots < (rows + 1) * 2) slots *= 2;
  if (slots == exact_.size()) return;
  std::vector<ExactSlot> old = std::move(exact_);
  exact_.assign(slots, ExactSlot());
  for (const ExactSlot& slot : old) {
    if (slot.rowPlusOne != 0) InsertExact(slot.rowPlusOne - 1, HashText(linkOf_(slot.rowPlusOne - 1)));
  }
}

void LinkIndex::Clear() {
  exact_.clear();
  exact_.shrink_to_fit();
  exactUsed_ = 0;
  grams_.clear();
  grams_.shrink_to_fit();
  gramsUsed_ = 0;
  postings_.clear();
  postings_.shrink_to_fit();
}

std::uint64_t LinkIndex::HashText(std::string_view text) {
  // FNV-1a, 64 bits.
  std::uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::uint64_t LinkIndex::GramAt(std::string_view text, std::size_t position) {
  std::uint64_t gram;
  std::memcpy(&gram, text.data() + position, sizeof gram);
  return gram;
}

std::size_t LinkIndex::MixGram(std::uint64_t gram) {
  gram ^= gram >> 33;
  gram *= 0xff51afd7ed558ccdull;
  gram ^= gram >> 33;
  gram *= 0xc4ceb9fe1a85ec53ull;
  gram ^= gram >> 33;
  return static_cast<std::size_t>(gram);
}

// ---------------------------------------------------------------- exact

void LinkIndex::InsertExact(std::uint32_t row, std::uint64_t hash) {
  std::size_t mask = exact_.size() - 1;
  std::size_t i = static_cast<std::size_t>(hash) & mask;
  while (exact_[i].rowPlusOne != 0) i = (i + 1) & mask;
  exact_[i].rowPlusOne = row + 1;
  exact_[i].fingerprint = static_cast<std::uint32_t>(hash >> 32);
}

void LinkIndex::GrowExact() { Reserve(exactUsed_ + 1); }

bool LinkIndex::ContainsExact(std::string_view text) const {
  if (exact_.empty()) return false;
  std::uint64_t hash = HashText(text);
  std::uint32_t fingerprint = static_cast<std::uint32_t>(hash >> 32);
  std::size_t mask = exact_.size() - 1;
  for (std::size_t i = static_cast<std::size_t>(hash) & mask; exact_[i].rowPlusOne != 0; i = (i + 1) & mask) {
    if (exact_[i].fingerprint == fingerprint && linkOf_(exact_[i].rowPlusOne - 1) == text) return true;
  }
  return false;
}

// ---------------------------------------------------------------- grams

LinkIndex::GramSlot* LinkIndex::FindGram(std::uint64_t gram) {
  return const_cast<GramSlot*>(static_cast<const LinkIndex*>(this)->FindGram(gram));
}

const LinkIndex::GramSlot* LinkIndex::FindGram(std::uint64_t gram) const {
  if (grams_.empty()) return nullptr;
  std::size_t mask = grams_.size() - 1;
  for (std::size_t i = MixGram(gram) & mask; grams_[i].head != kNone; i = (i + 1) & mask) {
    if (grams_[i].gram == gram) return &grams_[i];
  }
  return nullptr;
}

LinkIndex::GramSlot& LinkIndex::InsertGram(std::uint64_t gram) {
  if ((gramsUsed_ + 1) * 2 > grams_.size()) GrowGrams();
  std::size_t mask = grams_.size() - 1;
  std::size_t i = MixGram(gram) & mask;
  while (grams_[i].head != kNone) {
    if (grams_[i].gram == gram) return grams_[i];
    i = (i + 1) & mask;
  }
  ++gramsUsed_;
  grams_[i].gram = gram;
  grams_[i].count = 0;
  return grams_[i];
}

void LinkIndex::GrowGrams() {
  std::vector<GramSlot> old = std::move(grams_);
  grams_.assign(old.empty() ? 1024 : old.size() * 2, GramSlot());
  std::size_t mask = grams_.size() - 1;
  for (const GramSlot& slot : old) {
    if (slot.head == kNone) continue;
    std::size_t i = MixGram(slot.gram) & mask;
    while (grams_[i].head != kNone) i = (i + 1) & mask;
    grams_[i] = slot;
  }
}

void LinkIndex::Add(std::uint32_t row, std::string_view link) {
  // A link already stored answers every question this one could.
  if (ContainsExact(link)) return;
  if ((exactUsed_ + 1) * 2 > exact_.size()) GrowExact();
  InsertExact(row, HashText(link));
  ++exactUsed_;

  for (std::size_t p = 0; p + kGram <= link.size(); p += kStep) {
    GramSlot& slot = InsertGram(GramAt(link, p));
    if (slot.head != kNone && slot.count > 0 && postings_[slot.head].row == row) continue;  // same link again
    postings_.push_back(Posting{row, slot.head});
    // InsertGram may have moved the table; the reference stays valid until
    // the next insertion.
    slot.head = static_cast<std::uint32_t>(postings_.size() - 1);
    ++slot.count;
  }
}

bool LinkIndex::ContainsSubstring(std::string_view text, std::uint32_t rowCount) const {
  if (ContainsExact(text)) return true;
  if (text.size() < kMinIndexedLength) {
    for (std::uint32_t row = 0; row < rowCount; ++row) {
      if (linkOf_(row).find(text) != std::string_view::npos) return true;
    }
    return false;
  }
  for (std::size_t r = 0; r < kStep; ++r) {
    const GramSlot* rarest = nullptr;
    for (std::size_t p = r; p + kGram <= text.size(); p += kStep) {
      const GramSlot* slot = FindGram(GramAt(text, p));
      if (slot == nullptr) {  // no stored link has this gram at an indexed place
        rarest = nullptr;
        break;
      }
      if (rarest == nullptr || slot->count < rarest->count) rarest = slot;
    }
    if (rarest == nullptr) continue;
    for (std::uint32_t i = rarest->head; i != kNone; i = postings_[i].next) {
      if (linkOf_(postings_[i].row).find(text) != std::string_view::npos) return true;
    }
  }
  return false;
}

std::size_t LinkIndex::MemoryBytes() const {
  return exact_.capacity() * sizeof(ExactSlot) + grams_.capacity() * sizeof(GramSlot) +
         postings_.capacity() * sizeof(Posting);
}

}  // namespace vemtrix

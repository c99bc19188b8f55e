// Answers "is this text a substring of some stored link?" without scanning
// every stored link, so the duplicate check of an append stays cheap as the
// result store fills up.
//
// Equal links are found through an exact-match hash. For substrings, every
// link's 8-byte grams at positions 0, 8, 16, ... are indexed. When a query of
// at least kMinIndexedLength bytes occurs in a link at offset o, its gram at
// the first position r with (o + r) a multiple of 8 is one of the link's
// indexed grams, and so are its grams at r + 8, r + 16, ... For each of the 8
// possible r the rarest of those grams gives the candidates, which are then
// checked for real. Shorter queries fall back to a plain scan.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vemtrix {

class LinkIndex {
 public:
  static constexpr std::size_t kGram = 8;
  static constexpr std::size_t kStep = 8;
  static constexpr std::size_t kMinIndexedLength = kGram + kStep - 1;

  // The index stores row numbers; linkOf(row) gives the link of a stored row.
  using LinkOf = std::function<std::string_view(std::uint32_t row)>;

  explicit LinkIndex(LinkOf linkOf) : linkOf_(std::move(linkOf)) {}

  void Clear();
  // Makes room for rows links without growing the exact-match table.
  void Reserve(std::size_t rows);
  // Adds the link of row (rows are added in increasing order).
  void Add(std::uint32_t row, std::string_view link);
  // True when text equals a stored link.
  bool ContainsExact(std::string_view text) const;
  // True when text occurs in some stored link; rowCount bounds the plain scan.
  bool ContainsSubstring(std::string_view text, std::uint32_t rowCount) const;

  // Bytes held by the index (for the benchmark's report).
  std::size_t MemoryBytes() const;

 private:
  struct ExactSlot {
    std::uint32_t rowPlusOne = 0;  // 0 = empty
    std::uint32_t fingerprint = 0;
  };
  struct GramSlot {
    std::uint64_t gram = 0;
    std::uint32_t head = kNone;  // kNone = empty slot
    std::uint32_t count = 0;
  };
  struct Posting {
    std::uint32_t row;
    std::uint32_t next;
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  static std::uint64_t HashText(std::string_view text);
  static std::uint64_t GramAt(std::string_view text, std::size_t position);
  static std::size_t MixGram(std::uint64_t gram);

  void InsertExact(std::uint32_t row, std::uint64_t hash);
  void GrowExact();
  GramSlot* FindGram(std::uint64_t gram);
  const GramSlot* FindGram(std::uint64_t gram) const;
  GramSlot& InsertGram(std::uint64_t gram);
  void GrowGrams();

  LinkOf linkOf_;
  std::vector<ExactSlot> exact_;
  std::size_t exactUsed_ = 0;
  std::vector<GramSlot> grams_;
  std::size_t gramsUsed_ = 0;
  std::vector<Posting> postings_;
};

}  // namespace vemtrix

// ReplaceAllInOrder: many ReplaceAll rows over one page without a pass and a
// copy of the whole page per row.
//
// Every find of a tag row begins with "<#" and holds no other "<", so a row
// can only match where the current page has "<#". The page is kept as a list
// of pieces cut at every "<#": a head without any "<#", then pieces that each
// begin with "<#" and hold no other "<#". A match begins at an opening, and
// cannot reach into the next piece (that would need a "<" inside the find),
// so a row's matches are exactly the pieces that begin with its find. The
// matches are taken from the page as it stands before the row, so text that
// the row brings in is never searched by the same row.
//
// Replacing a match leaves the piece as value + rest. That text is cut again
// at the openings it holds (inside the value, or where the value's last "<"
// meets a "#" of the rest); text before its first opening joins the piece
// before it, and a "#" arriving behind a "<" there forms a new opening that
// takes that "<" along. A deletion can so join "<#Site" and "Name#>" into a
// tag of a later row.
//
// Each piece is filed under the first later row whose find it begins with and
// filed again whenever its first characters change, so a row visits only its
// own candidates and checks them without reading the page. Openings that
// match no row stay plain text of the page and get a piece of their own only
// when a neighbour needs one.
//
// Text only ever moves to the left (into the piece before), so an opening
// that no row of the rows being applied matches, and whose text is at least
// as long as the longest find, is a wall for them: its first characters never
// change, none of them matches it, and only the piece right behind it can
// append to it or take its last "<". Pieces on either side of a wall never
// touch the same text, so the page is worked on in blocks cut at walls, all
// rows on one block before the next, which keeps the work in the cache; the
// result is the same as with each row over the whole page. The first group
// of rows is worked on this way while the page is being cut.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "preview/fill_page.h"
#include "preview/replace_all.h"
#include "preview/sample_table.h"
#include "preview/tag_scan.h"

namespace {

constexpr size_t npos = std::u16string_view::npos;
constexpr int32_t kNone = -1;
// The opening of a piece that does not begin at an opening of the original
// text.
constexpr uint32_t kMadePiece = std::numeric_limits<uint32_t>::max();
// Rows are counted in 16 bits; longer tables go row by row.
constexpr size_t kMaxRows = 30000;
// Pieces per block, at least, before the next wall ends it.
constexpr size_t kBlockPieces = 1024;
// Room left behind a fast result (the preview's panel fits in it).
constexpr size_t kSpareRoom = 4096;

bool IsTagFind(std::u16string_view find) {
  return find.size() >= 2 && find[0] == u'<' && find[1] == u'#' &&
         find.find(u'<', 1) == npos;
}

struct Segment {
  const char16_t* data;
  uint32_t size;  // never 0 inside a piece
  int32_t next;
};

struct Piece {
  // Both are indexes into the openings of the original text: the one the
  // piece begins at (kMadePiece if none), and the one where the original text
  // resumes after it. Openings in between that never got a piece of their
  // own are emitted straight from the original text.
  uint32_t opening;
  uint32_t resume;
  int32_t prev = kNone;
  int32_t next = kNone;
  int32_t first = kNone;  // segments, in order
  int32_t last = kNone;
  int16_t filed_row = -1;  // the row this piece is filed under, or -1
  int16_t matched_row = -1;
  int16_t done_row = -1;
  bool alive = true;
  // Whether "#" follows the find of filed_row in the piece, noted when it is
  // filed, so that replacing it need not read the page.
  bool hash_after = false;
};

// The rows can be applied in groups, and a later group's values set from the
// page as the groups before it left it (a loop's copies come from its body).
class PieceRewriter {
 public:
  // Every find is a tag (IsTagFind), there are at most kMaxRows rows, and the
  // text is shorter than kMadePiece.
  PieceRewriter(std::u16string_view text, std::span<const Substitution> rows)
      : text_(text), rows_(rows.begin(), rows.end()), buckets_(rows.size()) {
    value_openings_.resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
      const std::u16string_view find = rows[r].find;
      max_find_ = std::max(max_find_, find.size());
      if (find.size() < 4)
        short_rows_.push_back(static_cast<int32_t>(r));
      else
        keyed_rows_.emplace_back(Key(find), static_cast<int32_t>(r));
      SetValue(r, rows[r].replacement);
    }
    std::sort(keyed_rows_.begin(), keyed_rows_.end());
    prefix_.resize(max_find_ + 1);
  }

  // Sets the replacement of a row not applied yet; `value` must outlive this.
  void SetValue(size_t row, std::u16string_view value) {
    rows_[row].replacement = value;
    value_openings_[row].clear();
    for (size_t p = FindOpening(value, 0); p != npos; p = FindOpening(value, p + 2))
      value_openings_[row].push_back(p);
  }

  // Applies rows [first, end) over the whole page; every row before `first`
  // has been applied. The first call, with first 0, also cuts the page.
  void ApplyRows(size_t first, size_t end) {
    if (openings_.empty()) {
      SplitAndApply(end);
      return;
    }
    // The walls were chosen for the first group; later groups take the
    // page as one block.
    group_end_ = static_cast<int32_t>(end);
    for (size_t b = 1; b < later_.size(); ++b)
      later_[0].insert(later_[0].end(), later_[b].begin(), later_[b].end());
    later_.resize(1);
    block_ = 0;
    ApplyBlock(first, end);
  }

  // What ExtractLoopText gives for the page as it stands, for the loop whose
  // start and end markers are the finds of these two rows, and whose rows
  // come next: the text between its first start marker and the first end
  // marker behind it; empty when either marker is missing; nullopt when
  // every end marker stands before the first start marker. A marker begins
  // a piece, and such a piece is filed under the marker's row.
  std::optional<std::u16string> LoopBody(int32_t start_row, int32_t end_row) const {
    bool end_before = false;
    int32_t start = 0;
    for (; start != kNone && pieces_[start].filed_row != start_row;
         start = pieces_[start].next)
      end_before = end_before || pieces_[start].filed_row == end_row;
    if (start == kNone) return std::u16string();
    int32_t end = pieces_[start].next;
    while (end != kNone && pieces_[end].filed_row != end_row) end = pieces_[end].next;
    if (end == kNone) {
      if (end_before) return std::nullopt;
      return std::u16string();
    }
    std::u16string body;
    EmitPieces(start, end, rows_[start_row].find.size(),
               [&](const char16_t* data, size_t size) { body.append(data, size); });
    return body;
  }

  std::u16string Assemble() const {
    std::u16string out;
    // A little room to spare, so that a short text can still be appended to
    // the result in place.
    out.reserve(result_size_ + kSpareRoom);
    EmitPieces(0, kNone, 0,
               [&](const char16_t* data, size_t size) { out.append(data, size); });
    return out;
  }

 private:
  // --- pieces and segments -------------------------------------------------

  // Finds of four characters or more are looked up by their third and fourth.
  static uint32_t Key(std::u16string_view text) {
    return (static_cast<uint32_t>(text[2]) << 16) | text[3];
  }

  int32_t NewPiece(uint32_t opening) {
    if (pieces_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw std::length_error("too many pieces");
    pieces_.push_back(Piece{opening, 0});
    return static_cast<int32_t>(pieces_.size() - 1);
  }

  void AppendSegment(int32_t piece, const char16_t* data, size_t size) {
    if (size == 0) return;
    if (segments_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw std::length_error("too many segments");
    segments_.push_back(Segment{data, static_cast<uint32_t>(size), kNone});
    AppendList(piece, static_cast<int32_t>(segments_.size() - 1),
               static_cast<int32_t>(segments_.size() - 1));
  }

  void AppendList(int32_t piece, int32_t first, int32_t last) {
    if (first == kNone) return;
    Piece& p = pieces_[piece];
    if (p.last == kNone)
      p.first = first;
    else
      segments_[p.last].next = first;
    p.last = last;
  }

  void LinkAfter(int32_t before, int32_t piece) {
    Piece& b = pieces_[before];
    Piece& p = pieces_[piece];
    p.prev = before;
    p.next = b.next;
    if (b.next != kNone) pieces_[b.next].prev = piece;
    b.next = piece;
    if (tail_ == before) tail_ = piece;
  }

  void Unlink(int32_t piece) {
    Piece& p = pieces_[piece];
    if (p.prev != kNone) pieces_[p.prev].next = p.next;
    if (p.next != kNone) pieces_[p.next].prev = p.prev;
    if (tail_ == piece) tail_ = p.prev;
    p.alive = false;
  }

  // The first characters of the piece, up to one more than max_find_ (the
  // character behind a find is wanted too).
  std::u16string_view Prefix(int32_t piece) {
    const Piece& p = pieces_[piece];
    if (p.first == kNone) return {};
    const Segment& s = segments_[p.first];
    if (s.size > max_find_ || s.next == kNone) return {s.data, s.size};
    size_t n = 0;
    for (int32_t i = p.first; i != kNone && n <= max_find_; i = segments_[i].next) {
      const Segment& seg = segments_[i];
      const size_t take = std::min<size_t>(seg.size, max_find_ + 1 - n);
      std::copy(seg.data, seg.data + take, prefix_.begin() + static_cast<ptrdiff_t>(n));
      n += take;
    }
    return {prefix_.data(), n};
  }

  char16_t LastChar(int32_t piece) const {
    const Piece& p = pieces_[piece];
    if (p.last == kNone) return 0;
    const Segment& s = segments_[p.last];
    return s.data[s.size - 1];
  }

  // Takes the last character off the piece and returns where it is stored.
  const char16_t* RemoveLastChar(int32_t piece) {
    Piece& p = pieces_[piece];
    Segment& tail = segments_[p.last];
    const char16_t* c = tail.data + tail.size - 1;
    if (--tail.size > 0) return c;
    if (p.first == p.last) {
      p.first = p.last = kNone;
      return c;
    }
    int32_t i = p.first;
    while (segments_[i].next != p.last) i = segments_[i].next;
    segments_[i].next = kNone;
    p.last = i;
    return c;
  }

  // Drops the first `count` characters; the piece holds at least that many.
  void DropPrefix(int32_t piece, size_t count) {
    Piece& p = pieces_[piece];
    while (count > 0) {
      Segment& s = segments_[p.first];
      if (s.size > count) {
        s.data += count;
        s.size -= static_cast<uint32_t>(count);
        return;
      }
      count -= s.size;
      p.first = s.next;
    }
    if (p.first == kNone) p.last = kNone;
  }

  // --- rows ----------------------------------------------------------------

  static bool BeginsWith(std::u16string_view text, std::u16string_view find) {
    return text.size() >= find.size() &&
           std::memcmp(text.data(), find.data(), find.size() * sizeof(char16_t)) == 0;
  }

  // The first row after `after` whose find `prefix` begins with, or -1.
  int32_t FirstRow(std::u16string_view prefix, int32_t after) const {
    if (prefix.size() < 2 || prefix[0] != u'<' || prefix[1] != u'#') return -1;
    int32_t best = -1;
    for (auto it = std::upper_bound(short_rows_.begin(), short_rows_.end(), after);
         it != short_rows_.end(); ++it) {
      if (BeginsWith(prefix, rows_[*it].find)) {
        best = *it;
        break;
      }
    }
    if (prefix.size() < 4) return best;
    const uint32_t key = Key(prefix);
    for (auto it = std::upper_bound(keyed_rows_.begin(), keyed_rows_.end(),
                                    std::pair<uint32_t, int32_t>(key, after));
         it != keyed_rows_.end() && it->first == key &&
         (best < 0 || it->second < best);
         ++it) {
      if (BeginsWith(prefix, rows_[it->second].find)) return it->second;
    }
    return best;
  }

  // Rows of a later group find the piece by its filed_row when their group
  // starts.
  void File(int32_t piece, int32_t after) {
    const std::u16string_view prefix = Prefix(piece);
    const int32_t row = FirstRow(prefix, after);
    pieces_[piece].filed_row = static_cast<int16_t>(row);
    if (row < 0) return;
    const size_t find = rows_[row].find.size();
    pieces_[piece].hash_after = prefix.size() > find && prefix[find] == u'#';
    if (row < group_end_)
      buckets_[row].push_back(piece);
    else
      later_[block_].push_back(piece);
  }

  // Files the piece again unless its first characters cannot have changed:
  // a find is never longer than max_find_, so text behind that many
  // characters and the one after them decides nothing.
  void Refile(int32_t piece, int32_t after) {
    const Piece& p = pieces_[piece];
    if (p.first != kNone && segments_[p.first].size > max_find_) return;
    File(piece, after);
  }

  // Cuts the original text into the head and a piece for every opening that
  // some row matches; the other openings stay plain text for now. Opening 0
  // stands for the start of the head, and a last one for the end of the
  // text. Each block gets the rows of the first group, [0, end), as soon as
  // it is cut, while its text and pieces are still in the cache.
  void SplitAndApply(size_t end) {
    group_end_ = static_cast<int32_t>(end);
    // Rough sizes, to spare most regrowing; untouched room costs nothing.
    pieces_.reserve(text_.size() / 32 + 64);
    segments_.reserve(text_.size() / 16 + 64);
    openings_.push_back(0);
    const int32_t head = NewPiece(0);
    tail_ = head;
    later_.emplace_back();
    block_ = 0;
    int32_t open = head;  // the piece whose text runs to the next opening
    size_t open_start = 0;
    const auto close = [&](size_t at, uint32_t opening) {
      AppendSegment(open, text_.data() + open_start, at - open_start);
      pieces_[open].resume = opening;
      open = kNone;
    };
    size_t in_block = 1;
    // Whether a wall stands behind the block's last piece of this group: an
    // opening that no row of the group matches, with text at least as long
    // as any find, so that the group never changes its first characters.
    bool wall_behind = false;
    int32_t last_row = -1;  // the first row of the last opening, or -1
    size_t last_start = 0;
    for (size_t p = FindOpening(text_, 0); p != npos; p = FindOpening(text_, p + 2)) {
      const uint32_t opening = static_cast<uint32_t>(openings_.size());
      openings_.push_back(static_cast<uint32_t>(p));
      if (open != kNone) close(p, opening);
      if (opening > 1 && (last_row < 0 || last_row >= group_end_) &&
          p - last_start >= max_find_)
        wall_behind = true;
      const int32_t row =
          FirstRow(text_.substr(p, std::min(max_find_, text_.size() - p)), -1);
      last_row = row;
      last_start = p;
      if (row < 0) continue;
      if (row < group_end_) {
        if (in_block >= kBlockPieces && wall_behind) {
          ApplyBlock(0, end);
          later_.emplace_back();
          ++block_;
          in_block = 0;
        }
        wall_behind = false;
      }
      const int32_t piece = NewPiece(opening);
      pieces_[piece].filed_row = static_cast<int16_t>(row);
      // A match never reaches the next opening, so the character behind it
      // is the piece's own or the "<" of the next opening.
      const size_t behind = p + rows_[row].find.size();
      pieces_[piece].hash_after = behind < text_.size() && text_[behind] == u'#';
      LinkAfter(tail_, piece);
      later_[block_].push_back(piece);
      open = piece;
      open_start = p;
      ++in_block;
    }
    openings_.push_back(static_cast<uint32_t>(text_.size()));
    if (open != kNone)
      close(text_.size(), static_cast<uint32_t>(openings_.size() - 1));
    ApplyBlock(0, end);
  }

  // Applies rows [first, end) to block_.
  void ApplyBlock(size_t first, size_t end) {
    // Pieces filed under a row of this group go to its buckets; those of
    // later groups wait. Stale entries (the piece changed since) drop out.
    std::vector<int32_t> waiting;
    waiting.swap(later_[block_]);
    for (const int32_t piece : waiting) {
      const Piece& p = pieces_[piece];
      if (!p.alive || p.filed_row < static_cast<int32_t>(first)) continue;
      if (p.filed_row < group_end_)
        buckets_[p.filed_row].push_back(piece);
      else
        later_[block_].push_back(piece);
    }
    for (size_t r = first; r < end; ++r) ApplyRow(static_cast<int32_t>(r));
  }

  // The piece right before `piece` in the page, made from the original text
  // if it has none yet.
  int32_t Predecessor(int32_t piece) {
    const int32_t before = pieces_[piece].prev;
    const uint32_t opening = pieces_[piece].opening;
    if (opening == kMadePiece || pieces_[before].resume == opening) return before;
    // Untouched openings lie between the two; the last of them is wanted.
    const int32_t made = NewPiece(opening - 1);
    AppendSegment(made, text_.data() + openings_[opening - 1],
                  openings_[opening] - openings_[opening - 1]);
    pieces_[made].resume = opening;
    LinkAfter(before, made);
    return made;
  }

  void ApplyRow(int32_t row) {
    std::vector<int32_t> candidates;
    candidates.swap(buckets_[row]);
    if (candidates.empty()) return;

    // All matches are decided on the page as it is before this row.
    matches_.clear();
    // A piece filed under this row and not changed since begins with its
    // find; one changed since was filed again, under its new first row.
    for (const int32_t piece : candidates) {
      Piece& p = pieces_[piece];
      if (!p.alive || p.filed_row != row || p.matched_row == row) continue;
      p.matched_row = static_cast<int16_t>(row);
      matches_.push_back(piece);
    }
    candidates = {};

    // Neighbouring matches are replaced from left to right, since each one
    // may join text to the piece before it.
    for (const int32_t piece : matches_) {
      const Piece& p = pieces_[piece];
      if (!p.alive || p.done_row == row) continue;
      const Piece& before = pieces_[p.prev];
      if (before.matched_row == row && before.done_row != row) continue;
      run_.clear();
      for (int32_t q = piece; q != kNone && pieces_[q].matched_row == row &&
                              pieces_[q].done_row != row;
           q = pieces_[q].next)
        run_.push_back(q);
      for (const int32_t q : run_) Replace(q, row);
    }
  }

  // Replaces the find of `row` at the start of `piece` and restores the cut
  // at every opening around the new text.
  void Replace(int32_t piece, int32_t row) {
    const std::u16string_view value = rows_[row].replacement;
    pieces_[piece].done_row = static_cast<int16_t>(row);
    DropPrefix(piece, rows_[row].find.size());
    result_size_ += value.size();
    result_size_ -= rows_[row].find.size();
    const int32_t rest_first = pieces_[piece].first;
    const int32_t rest_last = pieces_[piece].last;
    // The character behind the match matters only as a "#" that can meet a
    // "<": the value's last one, or the text before when the value is empty.
    const char16_t rest0 = pieces_[piece].hash_after ? u'#' : char16_t{0};
    const uint32_t resume = pieces_[piece].resume;
    pieces_[piece].first = pieces_[piece].last = kNone;

    // Openings in value + rest, by their position in it.
    starts_ = value_openings_[row];
    if (!value.empty() && value.back() == u'<' && rest0 == u'#')
      starts_.push_back(value.size() - 1);

    // Appends value + rest from `from` up to `to` (npos: to the end).
    const auto append = [&](int32_t target, size_t from, size_t to) {
      const size_t value_end = to == npos ? value.size() : std::min(to, value.size());
      if (from < value_end)
        AppendSegment(target, value.data() + from, value_end - from);
      if (to == npos) AppendList(target, rest_first, rest_last);
    };
    const auto chunk_end = [&](size_t i) {
      return i < starts_.size() ? starts_[i] : npos;
    };

    changed_.clear();
    refile_.clear();
    int32_t last;       // the last piece holding text of this one
    size_t next_start;  // the first entry of starts_ not placed yet
    if (!starts_.empty() && starts_[0] == 0) {
      // Still an opening: the piece keeps its place.
      append(piece, 0, chunk_end(1));
      last = piece;
      next_start = 1;
      changed_.push_back(piece);
    } else {
      const int32_t before = Predecessor(piece);
      Unlink(piece);
      const char16_t first =
          !value.empty() ? value[0] : rest0;  // 0 when nothing is left
      if (first == u'#' && LastChar(before) == u'<') {
        // The "<" ending the text before and this "#" form a new opening.
        const char16_t* lt = RemoveLastChar(before);
        const int32_t made = NewPiece(kMadePiece);
        AppendSegment(made, lt, 1);
        append(made, 0, chunk_end(0));
        LinkAfter(before, made);
        last = made;
        refile_.push_back(before);
        changed_.push_back(made);
      } else {
        append(before, 0, chunk_end(0));
        last = before;
        refile_.push_back(before);
      }
      next_start = 0;
    }
    for (size_t i = next_start; i < starts_.size(); ++i) {
      const int32_t made = NewPiece(kMadePiece);
      append(made, starts_[i], chunk_end(i + 1));
      LinkAfter(last, made);
      last = made;
      changed_.push_back(made);
    }
    pieces_[last].resume = resume;
    for (const int32_t p : changed_) File(p, row);
    for (const int32_t p : refile_) Refile(p, row);
  }

  // Hands `emit` the page from piece `from` (less its first `skip`
  // characters) up to piece `to`, not included (kNone: to the end), in runs.
  template <typename Emit>
  void EmitPieces(int32_t from, int32_t to, size_t skip, Emit emit) const {
    uint32_t cursor = pieces_[from].opening;  // where the original text resumes
    if (cursor == kMadePiece) cursor = 0;
    for (int32_t i = from; i != to; i = pieces_[i].next) {
      const Piece& p = pieces_[i];
      if (p.opening != kMadePiece && i != from)
        emit(text_.data() + openings_[cursor],
             openings_[p.opening] - openings_[cursor]);
      for (int32_t s = p.first; s != kNone; s = segments_[s].next) {
        const Segment& seg = segments_[s];
        const size_t dropped = std::min<size_t>(skip, seg.size);
        skip -= dropped;
        emit(seg.data + dropped, seg.size - dropped);
      }
      cursor = p.resume;
    }
    if (to == kNone) {
      emit(text_.data() + openings_[cursor], text_.size() - openings_[cursor]);
    } else if (pieces_[to].opening != kMadePiece) {
      emit(text_.data() + openings_[cursor],
           openings_[pieces_[to].opening] - openings_[cursor]);
    }
  }

  std::u16string_view text_;
  std::vector<Substitution> rows_;
  size_t result_size_ = text_.size();
  int32_t group_end_ = 0;  // the end of the rows being applied
  size_t max_find_ = 2;
  // Rows by the Key of their find, in row order within a key.
  std::vector<std::pair<uint32_t, int32_t>> keyed_rows_;
  std::vector<int32_t> short_rows_;  // rows whose find is shorter than four
  std::vector<uint32_t> openings_;   // positions of every "<#" in text_
  // For each block, its pieces filed under rows not applied yet.
  std::vector<std::vector<int32_t>> later_;
  size_t block_ = 0;  // the block being worked on
  int32_t tail_ = kNone;  // the last piece of the page
  std::vector<std::vector<size_t>> value_openings_;
  std::vector<std::vector<int32_t>> buckets_;  // pieces filed under each row
  std::vector<Piece> pieces_;
  std::vector<Segment> segments_;
  std::u16string prefix_;
  std::vector<int32_t> matches_, run_, changed_, refile_;
  std::vector<size_t> starts_;
};

std::u16string ReplaceOneByOne(std::u16string_view text,
                               std::span<const Substitution> rows) {
  std::u16string result(text);
  for (const Substitution& row : rows)
    result = ReplaceAll(result, row.find, row.replacement);
  return result;
}

}  // namespace

std::u16string ReplaceAllInOrder(std::u16string_view text,
                                 std::span<const Substitution> rows) {
  // An empty find changes nothing, so such a row can be left out.
  std::vector<Substitution> kept;
  kept.reserve(rows.size());
  for (const Substitution& row : rows)
    if (!row.find.empty()) kept.push_back(row);

  const bool all_tags = std::all_of(kept.begin(), kept.end(),
                                    [](const Substitution& r) { return IsTagFind(r.find); });
  if (!all_tags || kept.size() > kMaxRows || text.size() >= kMadePiece)
    return ReplaceOneByOne(text, kept);
  PieceRewriter rewriter(text, kept);
  rewriter.ApplyRows(0, kept.size());
  return rewriter.Assemble();
}

FilledPage FillPage(std::u16string_view page,
                    std::span<const LoopDescription* const> loops) {
  // The rows of the sample table, then for each loop its start marker, its
  // end marker (whose copies are made once the page before it is known) and
  // its fields with entry 1, exactly as ExpandLoop applies them.
  std::vector<std::u16string> markers;
  markers.reserve(2 * loops.size());
  std::vector<Substitution> rows;
  for (const SampleRow& row : SampleTable) rows.push_back({row.tag, row.value});
  std::vector<size_t> loop_rows;
  for (const LoopDescription* loop : loops) {
    loop_rows.push_back(rows.size());
    markers.push_back(LoopStartMarker(loop->name));
    rows.push_back({markers.back(), u""});
    markers.push_back(LoopEndMarker(loop->name));
    rows.push_back({markers.back(), u""});
    for (size_t f = 0; f < loop->fields.size(); ++f)
      rows.push_back({loop->fields[f], loop->entries[0][f]});
  }

  const bool all_tags = std::all_of(rows.begin(), rows.end(), [](const Substitution& r) {
    return IsTagFind(r.find);
  });
  if (!all_tags || rows.size() > kMaxRows || page.size() >= kMadePiece) {
    // The same, one stage after another.
    std::u16string text = ApplySampleTable(page);
    for (const LoopDescription* loop : loops) {
      std::optional<std::u16string> expanded = ExpandLoop(text, *loop);
      if (!expanded) return {std::u16string(), loop};
      text = std::move(*expanded);
    }
    return {std::move(text), nullptr};
  }

  PieceRewriter rewriter(page, rows);
  rewriter.ApplyRows(0, SampleTable.size());
  std::vector<std::u16string> copies;
  copies.reserve(loops.size());  // the rows point into these strings
  for (size_t k = 0; k < loops.size(); ++k) {
    const LoopDescription& loop = *loops[k];
    const size_t first = loop_rows[k];
    const std::optional<std::u16string> body = rewriter.LoopBody(
        static_cast<int32_t>(first), static_cast<int32_t>(first + 1));
    if (!body) return {std::u16string(), &loop};
    copies.emplace_back();
    for (size_t e = 1; e < loop.entries.size(); ++e) {
      std::vector<Substitution> fill;
      for (size_t f = 0; f < loop.fields.size(); ++f)
        fill.push_back({loop.fields[f], loop.entries[e][f]});
      copies.back() += ReplaceAllInOrder(*body, fill);
    }
    rewriter.SetValue(first + 1, copies.back());
    rewriter.ApplyRows(first, first + 2 + loop.fields.size());
  }
  return {rewriter.Assemble(), nullptr};
}

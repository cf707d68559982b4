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
// filed again whenever its text changes, so a row visits only its own
// candidates. Openings that match no row stay plain text of the page and get
// a piece of their own only when a neighbour needs one.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "preview/replace_all.h"
#include "preview/tag_scan.h"

namespace {

constexpr size_t npos = std::u16string_view::npos;
constexpr int32_t kNone = -1;
// The pos of a piece that does not begin at an opening of the original text.
constexpr uint32_t kMadePiece = std::numeric_limits<uint32_t>::max();

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
  // Where the piece begins in the original text (kMadePiece if it does not
  // begin at an original opening), and where the original text resumes after
  // it. Original openings between a piece's end and the next piece's pos
  // that never got a piece are emitted straight from the original text.
  uint32_t pos;
  uint32_t orig_end;
  int32_t prev = kNone;
  int32_t next = kNone;
  int32_t first = kNone;  // segments, in order
  int32_t last = kNone;
  int32_t matched_row = -1;
  int32_t done_row = -1;
  bool alive = true;
};

class PieceRewriter {
 public:
  PieceRewriter(std::u16string_view text, std::span<const Substitution> rows)
      : text_(text), rows_(rows), buckets_(rows.size()) {
    value_openings_.resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
      const std::u16string_view find = rows[r].find;
      max_find_ = std::max(max_find_, find.size());
      if (find.size() == 2) {
        short_rows_.push_back(static_cast<int32_t>(r));
        for (auto& list : by_key_) list.push_back(static_cast<int32_t>(r));
      } else {
        by_key_[find[2] & 0xFF].push_back(static_cast<int32_t>(r));
      }
      const std::u16string_view value = rows[r].replacement;
      for (size_t p = FindOpening(value, 0); p != npos;
           p = FindOpening(value, p + 2))
        value_openings_[r].push_back(p);
    }
    prefix_.resize(max_find_);
  }

  std::u16string Run() {
    SplitOriginal();
    for (size_t r = 0; r < rows_.size(); ++r) ApplyRow(static_cast<int32_t>(r));
    return Assemble();
  }

 private:
  // --- pieces and segments -------------------------------------------------

  int32_t NewPiece(uint32_t pos) {
    if (pieces_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw std::length_error("too many pieces");
    pieces_.push_back(Piece{pos, 0});
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
  }

  void Unlink(int32_t piece) {
    Piece& p = pieces_[piece];
    if (p.prev != kNone) pieces_[p.prev].next = p.next;
    if (p.next != kNone) pieces_[p.next].prev = p.prev;
    p.alive = false;
  }

  // The first characters of the piece, up to max_find_ of them.
  std::u16string_view Prefix(int32_t piece) {
    const Piece& p = pieces_[piece];
    if (p.first == kNone) return {};
    const Segment& s = segments_[p.first];
    if (s.size >= max_find_ || s.next == kNone) return {s.data, s.size};
    size_t n = 0;
    for (int32_t i = p.first; i != kNone && n < max_find_; i = segments_[i].next) {
      const Segment& seg = segments_[i];
      const size_t take = std::min<size_t>(seg.size, max_find_ - n);
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

  // The first row after `after` whose find `prefix` begins with, or -1.
  int32_t FirstRow(std::u16string_view prefix, int32_t after) const {
    if (prefix.size() < 2 || prefix[0] != u'<' || prefix[1] != u'#') return -1;
    const std::vector<int32_t>& candidates =
        prefix.size() >= 3 ? by_key_[prefix[2] & 0xFF] : short_rows_;
    for (auto it = std::upper_bound(candidates.begin(), candidates.end(), after);
         it != candidates.end(); ++it) {
      if (prefix.starts_with(rows_[*it].find)) return *it;
    }
    return -1;
  }

  void File(int32_t piece, int32_t after) {
    const int32_t row = FirstRow(Prefix(piece), after);
    if (row >= 0) buckets_[row].push_back(piece);
  }

  // Cuts the original text into the head and a piece for every opening that
  // some row matches; the other openings stay plain text for now.
  void SplitOriginal() {
    const int32_t head = NewPiece(0);
    int32_t tail = head;
    int32_t open_piece = head;  // its end is the next opening
    uint32_t open_start = 0;
    const auto close = [&](size_t end) {
      AppendSegment(open_piece, text_.data() + open_start, end - open_start);
      pieces_[open_piece].orig_end = static_cast<uint32_t>(end);
      open_piece = kNone;
    };
    for (size_t p = FindOpening(text_, 0); p != npos; p = FindOpening(text_, p + 2)) {
      if (open_piece != kNone) close(p);
      const int32_t row =
          FirstRow(text_.substr(p, std::min(max_find_, text_.size() - p)), -1);
      if (row < 0) continue;
      const int32_t piece = NewPiece(static_cast<uint32_t>(p));
      LinkAfter(tail, piece);
      tail = open_piece = piece;
      open_start = static_cast<uint32_t>(p);
      buckets_[row].push_back(piece);
    }
    if (open_piece != kNone) close(text_.size());
  }

  // The piece right before `piece` in the page, made from the original text
  // if it has none yet.
  int32_t Predecessor(int32_t piece) {
    const int32_t before = pieces_[piece].prev;
    const uint32_t pos = pieces_[piece].pos;
    const uint32_t gap = pieces_[before].orig_end;
    if (pos == kMadePiece || gap == pos) return before;
    // The original text from `gap` to `pos` is a run of untouched pieces,
    // the first of them beginning at `gap`; the last one is wanted.
    uint32_t q = pos - 2;
    while (!(text_[q] == u'<' && text_[q + 1] == u'#')) --q;
    const int32_t made = NewPiece(q);
    AppendSegment(made, text_.data() + q, pos - q);
    pieces_[made].orig_end = pos;
    LinkAfter(before, made);
    return made;
  }

  void ApplyRow(int32_t row) {
    std::vector<int32_t> candidates;
    candidates.swap(buckets_[row]);
    if (candidates.empty()) return;
    const std::u16string_view find = rows_[row].find;

    // All matches are decided on the page as it is before this row.
    matches_.clear();
    for (const int32_t piece : candidates) {
      Piece& p = pieces_[piece];
      if (!p.alive || p.matched_row == row) continue;
      if (!Prefix(piece).starts_with(find)) continue;
      pieces_[piece].matched_row = row;
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
    pieces_[piece].done_row = row;
    DropPrefix(piece, rows_[row].find.size());
    const int32_t rest_first = pieces_[piece].first;
    const int32_t rest_last = pieces_[piece].last;
    const char16_t rest0 =
        rest_first == kNone ? char16_t{0} : segments_[rest_first].data[0];
    const uint32_t orig_end = pieces_[piece].orig_end;
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
        changed_.push_back(before);
        changed_.push_back(made);
      } else {
        append(before, 0, chunk_end(0));
        last = before;
        changed_.push_back(before);
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
    pieces_[last].orig_end = orig_end;
    for (const int32_t p : changed_) File(p, row);
  }

  std::u16string Assemble() const {
    size_t total = 0;
    uint32_t cursor = 0;
    for (int32_t i = 0; i != kNone; i = pieces_[i].next) {
      const Piece& p = pieces_[i];
      if (p.pos != kMadePiece) total += p.pos - cursor;
      for (int32_t s = p.first; s != kNone; s = segments_[s].next)
        total += segments_[s].size;
      cursor = p.orig_end;
    }
    total += text_.size() - cursor;

    std::u16string out;
    out.reserve(total);
    cursor = 0;
    for (int32_t i = 0; i != kNone; i = pieces_[i].next) {
      const Piece& p = pieces_[i];
      if (p.pos != kMadePiece) out.append(text_.substr(cursor, p.pos - cursor));
      for (int32_t s = p.first; s != kNone; s = segments_[s].next)
        out.append(segments_[s].data, segments_[s].size);
      cursor = p.orig_end;
    }
    out.append(text_.substr(cursor));
    return out;
  }

  std::u16string_view text_;
  std::span<const Substitution> rows_;
  size_t max_find_ = 2;
  std::array<std::vector<int32_t>, 256> by_key_;  // rows by find[2] & 0xFF
  std::vector<int32_t> short_rows_;                // rows whose find is "<#"
  std::vector<std::vector<size_t>> value_openings_;
  std::vector<std::vector<int32_t>> buckets_;  // pieces filed under each row
  std::vector<Piece> pieces_;
  std::vector<Segment> segments_;
  std::u16string prefix_;
  std::vector<int32_t> matches_, run_, changed_;
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
  if (!all_tags || text.size() >= kMadePiece) return ReplaceOneByOne(text, kept);
  return PieceRewriter(text, kept).Run();
}

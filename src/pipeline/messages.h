// Every text the program shows; the direction marks inside are part of them.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::u16string_view kMessageTitle = u"نتيجه";

// The pieces are joined in this order, which is not their reading order.
std::u16string NotFoundMessage(std::u16string_view file_name);

inline constexpr std::u16string_view kCannotOpenMessage = u"فايل باز نشد";
inline constexpr std::u16string_view kOtherEncodingMessage =
    u"ذخيره نشده است Windows-1256 با كدگذاري Template.htm فايل";
// A declared charset other than Windows-1256 (`label` as written, already
// cut to be shown), which a browser would believe, garbling the Persian text.
std::u16string WrongCharsetMessage(std::u16string_view label);
inline constexpr std::u16string_view kCreatedMessage =
    u"ساخته شد index.htm فايل";
inline constexpr std::u16string_view kNotCreatedMessage =
    u"ساخته نشد index.htm فايل";
inline constexpr std::u16string_view kReadOnlyMessage =
    u"فقط خواندني است index.htm فايل";
// The limit is kMaxPageBytes; these name it in megabytes.
inline constexpr std::u16string_view kTemplateTooLargeMessage =
    u"بزرگ\u200cتر از 256 مگابايت است Template.htm فايل";
inline constexpr std::u16string_view kPreviewTooLargeMessage =
    u"بزرگ\u200cتر از 256 مگابايت مي\u200cشد index.htm فايل";

// Headers of the reports; the report follows after an empty line.
inline constexpr std::u16string_view kMissingTagsHeader =
    u"تگ(هاي) زير يافت نشد:\u200f";
inline constexpr std::u16string_view kUnknownTagsHeader =
    u"تگ(هاي) ناشناخته:\u200f";
inline constexpr std::u16string_view kMisorderedLoopHeader =
    u"تگ پايان حلقه پيش از تگ آغاز آن آمده است:\u200f";

std::u16string ReportMessage(std::u16string_view header,
                             std::u16string_view report);

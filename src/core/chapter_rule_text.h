#pragma once
// The chapter splitter's default rule, the start text of its rule box.

#include <string_view>

namespace qm {

/// A regular expression (ICU syntax, UTF-8) searched in each line of a
/// novel: a whole line, after at most 4 spaces (ASCII or full-width), that
/// is an optional 第, a number (Arabic, full-width, Chinese or financial
/// numerals) and a unit 章回节卷集部篇 (not where the unit begins a word such
/// as 节课, 集合, 部分, 回合, 回来), or one of 序章 楔子 引子 序言 前言 番外 后记
/// 尾声 终章 完本感言; then a title of at most 30 characters without 。！？.
inline constexpr std::string_view kDefaultChapterRuleUtf8 =
    "^[ \\u3000]{0,4}(?:第?[0-9０-９〇零一二两三四五六七八九十百千万壹贰叁肆伍陆柒捌玖拾佰仟]+"
    "(?:章|卷|篇(?!幅)|回(?![合来去家到头])|节(?![课目日])|集(?![合团中体])|部(?![分队门长位曲]))"
    "|序章|楔子|引子|序言|前言|番外|后记|尾声|终章|完本感言)[^。！？]{0,30}$";

}  // namespace qm

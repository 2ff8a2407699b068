#pragma once
// The SyntaxHighlighter library: highlight.js running in JavaScriptCore, its output turned into
// styled text in the colours and fonts of a highlight.js theme, and a text storage that keeps
// code highlighted while it is edited. Plain C++; no Qt.

#include <SyntaxHighlighter/CodeAttributedString.h>
#include <SyntaxHighlighter/Font.h>
#include <SyntaxHighlighter/HTMLImporter.h>
#include <SyntaxHighlighter/HTMLUtils.h>
#include <SyntaxHighlighter/HighlightEngine.h>
#include <SyntaxHighlighter/MainQueue.h>
#include <SyntaxHighlighter/ResourceBundle.h>
#include <SyntaxHighlighter/StyledText.h>
#include <SyntaxHighlighter/Theme.h>

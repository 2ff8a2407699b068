#include "MarkdownFixture.h"

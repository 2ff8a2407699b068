# Pins the cmark-gfm the compatibility layer is written against. The layer reads that version's
# source positions and table behaviour; another version must be checked before it is allowed.
set(QS_CMARK_GFM_PINNED_VERSION "0.29.0.gfm.6")
pkg_check_modules(QS_CMARK_GFM_FOR_COMPAT QUIET libcmark-gfm)
if(NOT QS_CMARK_GFM_FOR_COMPAT_FOUND)
  message(FATAL_ERROR "cmark-gfm not found by pkg-config (install libcmark-gfm-dev ${QS_CMARK_GFM_PINNED_VERSION})")
endif()
if(NOT QS_CMARK_GFM_FOR_COMPAT_VERSION STREQUAL QS_CMARK_GFM_PINNED_VERSION)
  message(FATAL_ERROR "The Markdown library needs cmark-gfm ${QS_CMARK_GFM_PINNED_VERSION} exactly; "
                      "pkg-config reports ${QS_CMARK_GFM_FOR_COMPAT_VERSION}")
endif()

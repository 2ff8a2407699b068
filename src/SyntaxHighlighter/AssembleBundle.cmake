# Builds the highlighter's resource bundle: cmake -DSOURCE_DIR=<cdn-assets> -DBUNDLE_DIR=<bundle>
# -DLANGUAGES=<a;b;...> -P AssembleBundle.cmake
file(REMOVE_RECURSE "${BUNDLE_DIR}")
file(MAKE_DIRECTORY "${BUNDLE_DIR}")

file(READ "${SOURCE_DIR}/highlight.min.js" script)
foreach(language IN LISTS LANGUAGES)
  file(READ "${SOURCE_DIR}/languages/${language}.min.js" grammar)
  # The minified files end without a line break; keep each one a statement of its own.
  string(APPEND script "\n" "${grammar}")
endforeach()
string(APPEND script "\n")
file(WRITE "${BUNDLE_DIR}/highlight.min.js.part" "${script}")
file(RENAME "${BUNDLE_DIR}/highlight.min.js.part" "${BUNDLE_DIR}/highlight.min.js")

file(GLOB themes "${SOURCE_DIR}/styles/*.min.css")
file(COPY ${themes} DESTINATION "${BUNDLE_DIR}")

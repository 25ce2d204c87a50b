# Writes the maker's service worker into the assembled maker folder: every
# file of the folder (the worker itself left out) and a version, the first 16
# hex digits of the SHA-256 of the lines "<path> <SHA-256 of its bytes>" in
# path order.
#   cmake -DSITE=<maker folder> -DWORKER=<maker-sw.js source> -P precache.cmake
if(NOT IS_DIRECTORY "${SITE}" OR NOT EXISTS "${WORKER}")
  message(FATAL_ERROR "precache: no maker folder '${SITE}' or worker source '${WORKER}'")
endif()
file(GLOB_RECURSE files RELATIVE "${SITE}" "${SITE}/*")
list(REMOVE_ITEM files maker-sw.js)
list(SORT files)
set(listing "")
set(quoted "")
foreach(file IN LISTS files)
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND listing "${file} ${digest}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 version "${listing}")
string(SUBSTRING "${version}" 0 16 version)
list(JOIN quoted ", " quoted)
file(READ "${WORKER}" source)
set(placeholder "const Precache = { version: 'unbuilt', files: [] };")
string(FIND "${source}" "${placeholder}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "precache: ${WORKER} lacks the line: ${placeholder}")
endif()
string(REPLACE "${placeholder}" "const Precache = { version: '${version}', files: [${quoted}] };" source "${source}")
file(WRITE "${SITE}/maker-sw.js" "${source}")

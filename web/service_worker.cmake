# Writes the site's service worker (cmake -P, from web/CMakeLists.txt): TEMPLATE with the VERSION
# and a digest of the FILES it keeps (separated by |) in place of @VERSION@ and @DIGEST@.
string(REPLACE "|" ";" FILES "${FILES}")
set(digests "")
foreach(file ${FILES})
  file(SHA256 ${file} digest)
  string(APPEND digests ${digest})
endforeach()
string(SHA256 DIGEST "${digests}")
string(SUBSTRING ${DIGEST} 0 16 DIGEST)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)

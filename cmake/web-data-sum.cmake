# Writes what the browser page checks its downloaded content against: the
# size and SHA-256 of the preloaded package, as JSON beside it.
#   cmake -DDATA=build-web/thornwick.data -DOUT=build-web/thornwick-data.json -P cmake/web-data-sum.cmake
file(SIZE ${DATA} bytes)
file(SHA256 ${DATA} sum)
file(WRITE ${OUT} "{\"bytes\": ${bytes}, \"sha256\": \"${sum}\"}\n")

# The hosts of the services the program queries: the one place of their
# defaults, for the Windows trees and the native sanitizer tree alike.
# PELLMARK_SERVICE_DEFINITIONS: the compile definitions that carry them.
set(PELLMARK_SEARCH_HOST "127.0.0.1" CACHE STRING "Host of the search engine, rank service and link: search")
set(PELLMARK_WHOIS_HOST "127.0.0.1" CACHE STRING "Host of the WhoIs lookup service")

# A service setting may carry its scheme: "https://host" sends the queries
# over TLS. <NAME>_ORIGIN is scheme and host, the address prefix of every
# query; <NAME>_HOST below this point is the bare host, which the local
# web listens on and the tools library compares.
function(pellmark_service_origin name)
  set(setting "${${name}_HOST}")
  if(setting MATCHES "^[Hh][Tt][Tt][Pp][Ss]://(.+)$")
    set(${name}_ORIGIN "https://${CMAKE_MATCH_1}" PARENT_SCOPE)
    set(${name}_HOST "${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(setting MATCHES "^[Hh][Tt][Tt][Pp]://(.+)$")
    set(${name}_ORIGIN "http://${CMAKE_MATCH_1}" PARENT_SCOPE)
    set(${name}_HOST "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${name}_ORIGIN "http://${setting}" PARENT_SCOPE)
  endif()
endfunction()
pellmark_service_origin(PELLMARK_SEARCH)
pellmark_service_origin(PELLMARK_WHOIS)
set(PELLMARK_SERVICE_DEFINITIONS
    PELLMARK_SEARCH_HOST="${PELLMARK_SEARCH_HOST}"
    PELLMARK_SEARCH_ORIGIN="${PELLMARK_SEARCH_ORIGIN}"
    PELLMARK_WHOIS_HOST="${PELLMARK_WHOIS_HOST}"
    PELLMARK_WHOIS_ORIGIN="${PELLMARK_WHOIS_ORIGIN}")

# The local stand-in of the search service: the catalogue and page generator (Qt Core only),
# the MP3 maker (libmp3lame), the HTTP server with its two record sources, the catalogue and the
# Internet Archive (Qt Network, requests read by http-parser), and the mp3qorvin-service program.

add_library(qorvin_localservice_pages STATIC
  song.h
  catalogue.cpp catalogue.h
  songindex.cpp songindex.h
  seededhash.h
  recordtraits.cpp recordtraits.h
  topiclists.cpp topiclists.h
  gbkcodec.cpp gbkcodec.h
  searchquery.cpp searchquery.h
  pagegenerator.cpp pagegenerator.h)
target_link_libraries(qorvin_localservice_pages PUBLIC Qt6::Core PRIVATE qorvin_crawlstate qorvin_base qorvin_options)
# Compiled into the library; Qt links the resource's initializer into every program that uses it.
qt_add_resources(qorvin_localservice_pages qorvin_localservice_catalogue
  PREFIX /qorvin/localservice
  BASE data
  FILES data/catalogue.tsv data/songci300.txt)

find_path(QORVIN_LAME_INCLUDE_DIR lame/lame.h)
find_library(QORVIN_LAME_LIBRARY mp3lame)
if(NOT QORVIN_LAME_INCLUDE_DIR OR NOT QORVIN_LAME_LIBRARY)
  message(FATAL_ERROR "libmp3lame not found: install libmp3lame-dev (tools/install-deps)")
endif()

add_library(qorvin_localservice_audio STATIC
  melody.cpp melody.h
  mp3encoder.cpp mp3encoder.h
  songaudio.cpp songaudio.h
  periodtags.cpp periodtags.h
  byterange.cpp byterange.h)
target_include_directories(qorvin_localservice_audio SYSTEM PRIVATE ${QORVIN_LAME_INCLUDE_DIR})
target_link_libraries(qorvin_localservice_audio
  PUBLIC Qt6::Core qorvin_localservice_pages PRIVATE ${QORVIN_LAME_LIBRARY} qorvin_base qorvin_options)

find_path(QORVIN_HTTP_PARSER_INCLUDE_DIR http_parser.h)
find_library(QORVIN_HTTP_PARSER_LIBRARY http_parser)
if(NOT QORVIN_HTTP_PARSER_INCLUDE_DIR OR NOT QORVIN_HTTP_PARSER_LIBRARY)
  message(FATAL_ERROR "http-parser not found: install libhttp-parser-dev (tools/install-deps)")
endif()

find_package(Qt6 REQUIRED COMPONENTS Network)
add_library(qorvin_localservice_server STATIC
  serveroptions.h archiveoptions.h filestats.h
  httprequest.h httpreply.h
  recordsource.h cataloguesource.h
  archiverecords.cpp archiverecords.h
  archivetopics.cpp archivetopics.h
  archivecache.cpp archivecache.h
  archiveclient.cpp archiveclient.h
  archivesource.cpp archivesource.h
  httpconnection.cpp httpconnectionoutput.cpp httpconnection.h
  songbody.cpp songbody.h
  localserver.cpp localserver.h)
target_link_libraries(qorvin_localservice_server
  PUBLIC Qt6::Core Qt6::Network qorvin_localservice_pages qorvin_localservice_audio
  PRIVATE ${QORVIN_HTTP_PARSER_LIBRARY} qorvin_base qorvin_options)
target_include_directories(qorvin_localservice_server SYSTEM PRIVATE ${QORVIN_HTTP_PARSER_INCLUDE_DIR})

add_executable(mp3qorvin-service main.cpp)
target_link_libraries(mp3qorvin-service PRIVATE qorvin_localservice_server qorvin_options)
install(TARGETS mp3qorvin-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The catalogue comes from an MIT-licensed package; its notice goes with the program.
install(FILES data/LICENSE-chinese-poetry DESTINATION ${CMAKE_INSTALL_DOCDIR})

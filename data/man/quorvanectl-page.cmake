# cmake -DQUORVANECTL=... -DTEMPLATE=... -DOUTPUT=... -DVERSION=... -P quorvanectl-page.cmake
# The manual page's options and commands come from the program's own tables, so they cannot drift apart.
execute_process(COMMAND ${QUORVANECTL} --man-section
    OUTPUT_VARIABLE tables RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT tables MATCHES "^\\.SH OPTIONS")
    message(FATAL_ERROR "${QUORVANECTL} --man-section failed (${status})")
endif()
file(READ ${TEMPLATE} page)
string(REPLACE "@QUORVANECTL_TABLES@\n" "${tables}" page "${page}")
string(REPLACE "@PROJECT_VERSION@" "${VERSION}" page "${page}")
file(WRITE ${OUTPUT} "${page}")

# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: BSD-3-Clause

# Installs the build into STAGE_DIR the way a package would land in /usr.
file(REMOVE_RECURSE ${STAGE_DIR})
set(ENV{DESTDIR} ${STAGE_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD_DIR} into ${STAGE_DIR} failed: ${result}")
endif()

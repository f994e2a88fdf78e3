# bardrill-report's exports beyond CSV, each in a source of its own so that the report tool builds
# wherever the core does: the workbook (--format xlsx) where libxlsxwriter is, the monthly report (PDF)
# where QtGui is, for it paints with the painters the hub prints with (src/painters), not the screens:
# a build for a server without a desktop makes it without a widget stack. Without one, the tool says so
# and exits 2.
if(CMAKE_CROSSCOMPILING OR WIN32)
  set(BARDRILL_REPORT_XLSX_DEFAULT OFF)
else()
  set(BARDRILL_REPORT_XLSX_DEFAULT ON)
endif()
if(CMAKE_CROSSCOMPILING AND NOT BARDRILL_SCREENS)
  # A cross build without the screens most likely has no Qt for its target either.
  set(BARDRILL_REPORT_PDF_DEFAULT OFF)
else()
  set(BARDRILL_REPORT_PDF_DEFAULT ON)
endif()
option(BARDRILL_REPORT_XLSX "bardrill-report writes workbooks (--format xlsx) through libxlsxwriter"
       ${BARDRILL_REPORT_XLSX_DEFAULT})
option(BARDRILL_REPORT_PDF "bardrill-report writes the monthly report (a PDF, through QtGui)"
       ${BARDRILL_REPORT_PDF_DEFAULT})

target_sources(bardrill-report PRIVATE ${CMAKE_CURRENT_LIST_DIR}/output_file.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/exports_none.cpp)
if(BARDRILL_REPORT_XLSX)
  pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
  if(NOT XLSXWRITER_FOUND)
    message(FATAL_ERROR "libxlsxwriter was not found: install libxlsxwriter-dev (scripts/setup does), "
                        "or configure with -DBARDRILL_REPORT_XLSX=OFF for a report tool without workbooks")
  endif()
  target_sources(bardrill-report PRIVATE ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer.cpp)
  target_compile_definitions(bardrill-report PRIVATE BARDRILL_REPORT_XLSX)
  target_link_libraries(bardrill-report PRIVATE PkgConfig::XLSXWRITER)
endif()
if(BARDRILL_REPORT_PDF)
  if(NOT TARGET bardrill_painters)
    # The screens are left out: the painters come on their own.
    find_package(Qt6 COMPONENTS Gui)
    if(NOT Qt6Gui_FOUND)
      message(FATAL_ERROR "the monthly report paints with QtGui, which was not found: install qt6-base-dev, "
                          "or configure with -DBARDRILL_REPORT_PDF=OFF for a report tool without PDFs")
    endif()
    add_subdirectory(src/painters)
  endif()
  target_sources(bardrill-report PRIVATE ${CMAKE_CURRENT_LIST_DIR}/monthly_pdf.cpp)
  target_compile_definitions(bardrill-report PRIVATE BARDRILL_REPORT_PDF)
  target_link_libraries(bardrill-report PRIVATE bardrill_painters)
  if(NOT WIN32)
    # Qt6::Gui brings OpenGL's libraries onto the link line; a PDF never draws with them.
    target_link_options(bardrill-report PRIVATE LINKER:--as-needed)
  endif()
endif()

# PNG icons made from one of packaging/*.svg at build time, for the Windows programs and the web
# site: gaugeplot_png_icons(VIEWER OUT SIZE...) adds a command per size, making
# <binary dir>/VIEWER-SIZE.png with Debian's rsvg-convert, and sets OUT to the files.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert makes the icons from packaging/*.svg: apt-get install librsvg2-bin")
endif()

function(gaugeplot_png_icons viewer out)
  set(svg ${PROJECT_SOURCE_DIR}/packaging/${viewer}.svg)
  set(pngs)
  foreach(size ${ARGN})
    set(png ${CMAKE_CURRENT_BINARY_DIR}/${viewer}-${size}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${svg}
      DEPENDS ${svg})
    list(APPEND pngs ${png})
  endforeach()
  set(${out} ${pngs} PARENT_SCOPE)
endfunction()

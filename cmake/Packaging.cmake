# The Debian package: `cpack -G DEB` in a built tree (scripts/package.sh does
# it all). The package installs under /usr, where the programs find their
# resources in ../share/quillary beside /usr/bin as they do in the build tree.

set(CPACK_PACKAGE_NAME quillary)
set(CPACK_PACKAGE_VENDOR "The Quillary developers")
set(QUILLARY_PACKAGE_MAINTAINER "Quillary maintainers <maintainers@quillary.example>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${QUILLARY_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make EPUB e-books from word-processor manuscripts")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillary turns an author's manuscript (.rtf, .doc, .docx or .odt) into an
EPUB 2 or EPUB 3 e-book, and on request a Kindle file. Directives typed into
the manuscript make the contents, bookmarks, images, audio, video, endnotes
and cross-references. The package holds the window program (quillary-gui),
the command line (quillary) and the document converter (quillary-textutil).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# What the package needs beside the libraries its programs link, which
# dpkg-shlibdeps reads from the programs themselves. Add to these lists;
# alternatives go in one entry ("a | b").
set(QUILLARY_DEB_DEPENDS)
if(QUILLARY_GUI)
  # Qt loads its platform plugins at run time: without them the window
  # program cannot open a window, and nothing links them.
  list(APPEND QUILLARY_DEB_DEPENDS qt6-qpa-plugins)
endif()
set(QUILLARY_DEB_RECOMMENDS
  # Word and OpenDocument manuscripts are converted through LibreOffice.
  "libreoffice-writer-nogui | libreoffice-writer")
if(QUILLARY_GUI)
  # Qt's own dialogs and key names in the desktop's language.
  list(APPEND QUILLARY_DEB_RECOMMENDS qt6-translations-l10n)
endif()
set(QUILLARY_DEB_SUGGESTS
  epubcheck  # checks the books
  calibre)   # ebook-convert makes Kindle files when kindlegen is missing

list(JOIN QUILLARY_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN QUILLARY_DEB_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
list(JOIN QUILLARY_DEB_SUGGESTS ", " CPACK_DEBIAN_PACKAGE_SUGGESTS)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Without dpkg-shlibdeps CPack would quietly make a package that declares
# none of the libraries it needs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingChecks.cmake)

set(CPACK_GENERATOR DEB)
include(CPack)

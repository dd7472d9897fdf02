# Installation (the programs, a desktop entry and an icon) and the Debian package.
include(GNUInstallDirs)

# The settings-discovery program lies beside both programs, where they look for it.
install(TARGETS quorvel-cli quorvel-emailtest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quorvel)
  install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES src/ui/resources/quorvel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  install(FILES packaging/quorvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The definitions the programs ship with: the service's build-time seed, beside each program in
# the build tree (a program folder that starts without definitions installs them into
# dados/config) and in share/quorvel/definicoes of an installation.
set(QUORVEL_SHIPPED_DEFINITIONS "${CMAKE_BINARY_DIR}/src/definicoes")
add_custom_target(quorvel-shipped-definitions ALL
  COMMAND ${CMAKE_COMMAND} -DSEED=${CMAKE_BINARY_DIR}/service/seed
          -DDEST=${QUORVEL_SHIPPED_DEFINITIONS}
          -P ${PROJECT_SOURCE_DIR}/packaging/ship_definitions.cmake
  COMMAND ${CMAKE_COMMAND} -DSEED=${CMAKE_BINARY_DIR}/service/seed
          -DDEST=${CMAKE_BINARY_DIR}/src/ui/definicoes
          -P ${PROJECT_SOURCE_DIR}/packaging/ship_definitions.cmake
  COMMENT "Copying the shipped definitions beside the programs")
add_dependencies(quorvel-shipped-definitions quorvel-service-seed-files)
install(FILES "${QUORVEL_SHIPPED_DEFINITIONS}/sys_paises.filter"
              "${QUORVEL_SHIPPED_DEFINITIONS}/sys_armadilhas.filter"
              "${QUORVEL_SHIPPED_DEFINITIONS}/sys_provedores.filter"
              "${QUORVEL_SHIPPED_DEFINITIONS}/definitions.txt"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvel/definicoes)

set(CPACK_PACKAGE_NAME "quorvel")
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_CONTACT "Quorvel <suporte@quorvel.com.br>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}.651")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Validação avançada de listas de e-mails")
set(CPACK_PACKAGE_DESCRIPTION
    "O Quorvel limpa listas de contatos para campanhas de e-mail: repetidos, erros de\n sintaxe, armadilhas, domínios sem servidor de e-mail e endereços que já retornaram.\n Programa com janelas (quorvel) e de linha de comando (quorvel-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "mail")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries come from dpkg-shlibdeps; Qt's platform plugins (X11, Wayland) are a plugin
# package that no library links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_GENERATOR "DEB")
include(CPack)

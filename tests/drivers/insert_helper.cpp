// A second process for the sharing test: inserts rows into 检索 through the
// driver, each in its own autocommitted statement, and exits 0 when all went in.
//   driver_insert_helper CONNECTION_TEXT NAME COUNT

#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/drivers/odbc_client.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    rx::test::OdbcConnection c;
    rx::test::OdbcOutcome o = c.driverConnect(argv[1]);
    if (!o.ok()) {
        std::cerr << o.state << " " << o.message << '\n';
        return 3;
    }
    int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        o = c.execute(std::string("INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('") + argv[2] +
                      std::to_string(i) + "','2024年5月3日','','')");
        if (!o.ok()) {
            std::cerr << "row " << i << ": " << o.state << " " << o.message << '\n';
            return 4;
        }
    }
    return 0;
}

// For each input line of UTF-16 units in hex ("-" for the empty string), prints the bytes that
// DataOutputStream.writeUTF writes, in hex, one line per string.
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.InputStreamReader;

public class WriteUtfOracle {
    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in, "UTF-8"));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null; ) {
            StringBuilder s = new StringBuilder();
            if (!line.equals("-"))
                for (String unit : line.trim().split(" ")) s.append((char) Integer.parseInt(unit, 16));
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            new DataOutputStream(bytes).writeUTF(s.toString());
            for (byte b : bytes.toByteArray()) out.append(String.format("%02x", b & 0xFF));
            out.append('\n');
        }
        System.out.print(out);
    }
}
